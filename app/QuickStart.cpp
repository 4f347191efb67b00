#include "app/QuickStart.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"

namespace tw::app {
namespace {

// A 16x16 icon and its meaning, for the dialog's small legend.
QWidget* LegendLine(QWidget* parent, const QIcon& icon, const QString& text) {
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(line);
    picture->setPixmap(icon.pixmap(16, 16));
    layout->addWidget(picture);
    layout->addWidget(new QLabel(text, line), 1);
    return line;
}

}  // namespace

CommandId ShowQuickStart(QWidget* parent, bool atStartup) {
    SettingsStore& settings = SettingsStore::Instance();
    QDialog dialog(parent);
    dialog.setObjectName("quick-start");
    dialog.setWindowTitle("Tidewright: Quick Start Guide");
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(
        "<b>Welcome to Tidewright.</b><p>Tidewright keeps the links of your web site valid while "
        "you move, rename, copy and delete its files.</p><p>1. Choose <b>Site, Track Web "
        "Site...</b> and pick your site's folder.<br>2. Tidewright reads every page and marks "
        "broken links and orphan files.<br>3. Move and rename files: every page that refers to "
        "them is rewritten. <b>Edit, Undo</b> takes any command back.</p>",
        &dialog);
    text->setWordWrap(true);
    text->setMinimumWidth(420);
    layout->addWidget(text);
    QStyle* style = QApplication::style();
    layout->addWidget(LegendLine(
        &dialog, QIcon::fromTheme("folder-remote", style->standardIcon(QStyle::SP_DirLinkIcon)),
        "a folder that holds a tracked site"));
    layout->addWidget(LegendLine(
        &dialog,
        QIcon::fromTheme("dialog-warning", style->standardIcon(QStyle::SP_MessageBoxWarning)),
        "an orphan file: no page leads to it from the home page"));
    auto* dontShow = new QCheckBox("Don't show at startup (find in the \"Help\" menu)", &dialog);
    dontShow->setChecked(!settings.ReadBool("1ShowQuickStart"));
    layout->addWidget(dontShow);
    auto* buttons = new QDialogButtonBox(&dialog);
    CommandId asked = kSeparator;
    const std::pair<const char*, CommandId> choices[] = {
        {"Full Legend...", kLegend}, {"Tutorial...", kTutorial}, {"Track Site...", kTrackSite}};
    for (const auto& [label, id] : choices) {
        QPushButton* button = buttons->addButton(label, QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &asked, id = id] {
            asked = id;
            dialog.accept();
        });
    }
    buttons->addButton(QDialogButtonBox::Close)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
    if (!atStartup || dontShow->isChecked())
        settings.WriteBool("1ShowQuickStart", !dontShow->isChecked());
    return asked;
}

}  // namespace tw::app
