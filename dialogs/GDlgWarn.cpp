#include "dialogs/GDlgWarn.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"
#include "ui/components/DialogPosition.h"

namespace tw::dialogs {
namespace {

GDlgWarn::Hook& TheHook() {
    static GDlgWarn::Hook hook;
    return hook;
}

QString Caption(const QString& title) {
    return "Tidewright: " + title;
}

const QString kDontWarn = "Don't warn me next time (reenable in the \"Options\" dialog)";

}  // namespace

void GDlgWarn::SetHook(Hook hook) {
    TheHook() = std::move(hook);
}

GDlgWarn::GDlgWarn(const Spec& spec, QWidget* parent) : QDialog(parent), spec_(spec) {
    setWindowTitle(Caption(spec.title));
    setObjectName("warning-" + spec.title.toLower().replace(' ', '-'));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QVBoxLayout;
    if (!spec.headline.isEmpty()) {
        auto* headline = new QLabel(spec.headline, this);
        QFont bold = headline->font();
        bold.setBold(true);
        headline->setFont(bold);
        headline->setWordWrap(true);
        text->addWidget(headline);
    }
    if (spec.richText) {
        auto* report = new QTextBrowser(this);
        report->setHtml(spec.message);
        report->setOpenExternalLinks(true);
        report->setMinimumSize(520, 300);
        QPalette face = report->palette();
        face.setColor(QPalette::Base, palette().color(QPalette::Button));
        report->setPalette(face);
        text->addWidget(report, 1);
    } else {
        auto* message = new QLabel(spec.message, this);
        message->setTextFormat(Qt::PlainText);
        message->setWordWrap(true);
        message->setMinimumWidth(420);
        text->addWidget(message);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    if (!spec.checkText.isEmpty()) {
        check_ = new QCheckBox(spec.checkText, this);
        layout->addWidget(check_);
    }
    auto* buttons = new QDialogButtonBox(this);
    for (const Button& button : spec.buttons) {
        auto* push = buttons->addButton(button.text, QDialogButtonBox::ActionRole);
        if (!button.icon.isNull()) push->setIcon(button.icon);
        push->setDefault(button.isDefault);
        push->setAutoDefault(button.isDefault);
        if (button.isDefault) push->setFocus();
        const int result = button.result;
        connect(push, &QPushButton::clicked, this, [this, result] { done(result); });
    }
    layout->addWidget(buttons);
    if (!spec.resizable) layout->setSizeConstraint(QLayout::SetFixedSize);
    if (!spec.positionKey.empty()) ui::KeepPosition(*this, spec.positionKey);
}

int GDlgWarn::Run(bool* checked) {
    if (TheHook()) {
        bool ticked = false;
        const int result = TheHook()(spec_.title, &ticked);
        if (checked) *checked = ticked;
        return result;
    }
    // Escape and the close button give the last button's result: Cancel where there is one.
    const int result = exec();
    if (checked) *checked = check_ && check_->isChecked();
    const bool escaped = result == QDialog::Rejected && !spec_.buttons.isEmpty() &&
                         spec_.buttons.back().result != QDialog::Rejected;
    return escaped ? spec_.buttons.back().result : result;
}

bool ConfirmFileDelete(QWidget* parent, const QStringList& paths) {
    SettingsStore& settings = SettingsStore::Instance();
    if (!settings.ReadBool("1WarnOnRecycle")) return true;
    // Undo puts trashed items back (so long as they are still in the Trash).
    const QString note = paths.size() == 1 ? "\n\nUndo (Ctrl+Z) brings it back from the Trash."
                                           : "\n\nUndo (Ctrl+Z) brings them back from the Trash.";
    const QString message =
        paths.size() == 1
            ? QString("Are you sure you want to send the file \"%1\" to the Trash?")
                  .arg(QFileInfo(paths.front()).fileName())
            : QString("Are you sure you want to send the selected files to the Trash?");
    GDlgWarn dialog({"Confirm File Delete",
                     {},
                     message + note,
                     kDontWarn,
                     {{"Delete", kWarnOk, true, {}}, {"Cancel", kWarnCancel, false, {}}},
                     "WarnDeleteDialogPosition"},
                    parent);
    bool ticked = false;
    const int result = dialog.Run(&ticked);
    if (ticked) settings.WriteBool("1WarnOnRecycle", false);
    return result == kWarnOk;
}

int WarnBeginTracking(QWidget* parent, bool* dontAskAgain) {
    GDlgWarn dialog({"Begin Site Tracking",
                     {},
                     "The site(s) you previously defined need to be reloaded before links can "
                     "be tracked.\nDo you want to load them now?",
                     "Always load sites at startup (this dialog can be reenabled in the "
                     "\"Options\" dialog)",
                     {{"OK", kWarnOk, true, {}}, {"Cancel", kWarnCancel, false, {}}},
                     {}},
                    parent);
    return dialog.Run(dontAskAgain);
}

int ConfirmReloadSite(QWidget* parent, bool* dontAskAgain) {
    GDlgWarn dialog(
        {"Confirm Reload Site",
         {},
         "Tidewright has detected that file in a site you are tracking has been modified.\nIf "
         "you were editing an HTML file or deleted, renamed, or moved files, Tidewright needs to "
         "reload the site.  Do you want to reload the site?\n\nClick:\t\"Yes\" to reload the "
         "site\n\t\"No\" to continue active tracking without reloading\n\t\"Cancel\" to "
         "disable active tracking for this site",
         "Always reload modified sites (this dialog can be reenabled in the \"Options\" "
         "dialog)",
         {{"Yes", kWarnYes, true, {}},
          {"No", kWarnNo, false, {}},
          {"Cancel", kWarnCancel, false, {}}},
         {}},
        parent);
    return dialog.Run(dontAskAgain);
}

void ShowLoadErrors(QWidget* parent, const QString& report, bool* dontShowAgain) {
    QString text = report;
    text.replace("\t", "&nbsp;&nbsp;&nbsp;&nbsp;");
    if (text.size() > kLongestErrorReport)
        text =
            "Too many errors to report.<br><br>Try the \"Site |  Generate site statistics\" "
            "command to see the errors,<br>or disable \"Report syntax errors\" in the Logging "
            "and Notifications <br>section of the Options Dialog.";
    GDlgWarn::Spec spec{"File and Syntax Errors",
                        {},
                        text,
                        "Don't show this again (reenable in the \"Options\" dialog)",
                        {{"OK", kWarnOk, true, {}}},
                        {}};
    spec.richText = true;
    spec.resizable = true;
    GDlgWarn dialog(spec, parent);
    dialog.Run(dontShowAgain);
}

int ConfirmRemoveOrphansNow(QWidget* parent) {
    GDlgWarn dialog(
        {"Confirm Remove Orphans Now",
         "This site has outstanding broken links",
         "Fixing broken links may cause orphans to get linked back into the site.\n\nClick "
         "\"Fix Links\" to fix the broken links now (recommended).\nClick \"Remove Orphans\" "
         "to remove the orphan files now.",
         kDontWarn,
         {{"Fix Links", kWarnOther, true, {}},
          {"Remove Orphans", kWarnOk, false, {}},
          {"Cancel", kWarnCancel, false, {}}},
         "WarnBrokenLinksDlgPosition"},
        parent);
    bool ticked = false;
    const int result = dialog.Run(&ticked);
    SettingsStore::Instance().WriteBool("1WarnFixLinksFirst", !ticked);
    return result;
}

int WarnNotTracked(QWidget* parent, bool* dontWarnAgain) {
    GDlgWarn dialog(
        {"Confirm Operation on Untracked Site",
         "The currently selected file is not being tracked!  Moving or renaming it may cause "
         "broken links.",
         "Click \"Track Site...\" to set up site tracking (recommended).\nClick \"Continue\" "
         "to move or rename the file(s) without tracking them.",
         kDontWarn,
         {{"Track Site...", kWarnOther, false, {}},
          {"Continue", kWarnOk, true, {}},
          {"Cancel", kWarnCancel, false, {}}},
         "WarnNotTrackedDlgPosition"},
        parent);
    return dialog.Run(dontWarnAgain);
}

}  // namespace tw::dialogs
