#include "dialogs/GDlgEditor.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"

namespace tw::dialogs {

QString DesktopProgramFor(const QString& mimeType) {
    // The desktop's association: its entry's name from xdg-mime, then that entry's command.
    QProcess query;
    query.start("xdg-mime", {"query", "default", mimeType});
    if (!query.waitForFinished(2000)) return {};
    const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty()) return {};
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QFile desktop(file);
    if (file.isEmpty() || !desktop.open(QIODevice::ReadOnly)) return {};
    while (!desktop.atEnd()) {
        const QString line = QString::fromUtf8(desktop.readLine()).trimmed();
        if (!line.startsWith("Exec=")) continue;
        const QString program = line.mid(5).section(' ', 0, 0);
        const QString found = QStandardPaths::findExecutable(program);
        return found.isEmpty() ? program : found;
    }
    return {};
}

GDlgEditor::GDlgEditor(bool html, QWidget* parent)
    : QDialog(parent), html_(html), program_(new QLineEdit(this)) {
    setObjectName(html ? "select-html-editor" : "select-graphics-editor");
    setWindowTitle(html ? "Select HTML Editor" : "Select Graphics Editor");
    auto* first = new QLabel(html ? "You have not yet selected a preferred HTML editor."
                                  : "You have not yet selected a preferred graphics editor.",
                             this);
    QFont bold = first->font();
    bold.setBold(true);
    first->setFont(bold);
    auto* explanation = new QLabel(
        html ? "Your default text editor will be used unless you specify a specific HTML "
               "editor here or in the Options dialog."
             : "Your default graphics viewer will be used unless you specify a specific "
               "graphics editor here or in the Options dialog.",
        this);
    explanation->setWordWrap(true);
    program_->setText(DesktopProgramFor(html ? "text/html" : "image/gif"));
    program_->setMinimumWidth(320);
    auto* browse = new QPushButton("&Browse...", this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, windowTitle(), program_->text(),
                                                            "Programs (*);;All Files (*)");
        if (!chosen.isEmpty()) program_->setText(chosen);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(html ? "HTML Editor:" : "Graphics Editor:", this));
    row->addWidget(program_, 1);
    row->addWidget(browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(first);
    layout->addWidget(explanation);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void GDlgEditor::accept() {
    SettingsStore::Instance().WriteString(SettingsStore::kSection,
                                          html_ ? "HtmlEditor" : "GraphicsEditor",
                                          program_->text().toStdString());
    QDialog::accept();
}

}  // namespace tw::dialogs
