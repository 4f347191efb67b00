#include "ui/components/HelpButton.h"

#include <QPushButton>

namespace tw::ui {
namespace {

HelpHandler& Handler() {
    static HelpHandler handler;
    return handler;
}

}  // namespace

void SetHelpHandler(HelpHandler handler) {
    Handler() = std::move(handler);
}

void AddHelpButton(QDialogButtonBox& buttons, const QString& page) {
    if (!Handler()) return;
    QPushButton* help = buttons.addButton(QDialogButtonBox::Help);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    QObject::connect(&buttons, &QDialogButtonBox::helpRequested, &buttons, [&buttons, page] {
        if (Handler()) Handler()(buttons.window(), page);
    });
}

}  // namespace tw::ui
