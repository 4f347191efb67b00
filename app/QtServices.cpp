#include "app/QtServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "core/strings/ShortenPath.h"
#include "core/strings/Strings.h"
#include "dialogs/GDlgWarn.h"

namespace tw::app {
namespace {

EQtServices::Hook& AnswerHook() {
    static EQtServices::Hook hook;
    return hook;
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString AppCaption(std::string_view title) {
    return QString("Tidewright: ") + Q(title);
}

// Entries (files and folders, at any depth) below a folder: the range of a pass whose total
// is known only once its folder is.
int EntriesBelow(const std::string& folder) {
    int count = 0;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        DirectoryEnumerator entries(std::string(StripTrailingSep(current)) + kPathSep, "*");
        std::string entry;
        while (entries.Next(entry, true)) {
            ++count;
            if (!entries.LastWasLink() && IsFolder(entry)) pending.push_back(entry);
        }
    }
    return count;
}

// A question with the given buttons and an optional check box; the button pressed.
int Ask(QWidget* owner, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton initial,
        const QString& checkText = {}, bool* checked = nullptr) {
    if (AnswerHook()) {
        if (checked) *checked = false;
        return AnswerHook()(text);
    }
    QMessageBox box(QMessageBox::Question, title, text, buttons, owner);
    box.setDefaultButton(initial);
    QCheckBox* check = nullptr;
    if (checked) {
        check = new QCheckBox(checkText, &box);  // owned by the box
        box.setCheckBox(check);
    }
    const int pressed = box.exec();
    if (checked) *checked = check->isChecked();
    return pressed;
}

}  // namespace

// ---- GUIProgressDlg ----

GUIProgressDlg::GUIProgressDlg(QWidget* owner, bool startAware)
    : owner_(owner), startAware_(startAware) {}

GUIProgressDlg::~GUIProgressDlg() {
    // The window goes from the event loop: the window system may still hold events for it
    // (its activation, its focus) that would reach a window deleted under them.
    if (dialog_) {
        dialog_->hide();
        dialog_.release()->deleteLater();
    }
}

bool GUIProgressDlg::ShowWhenPossible() {
    if (!dialog_) {
        // Loading at start-up shows nothing until the main window is there to hold it.
        if (startAware_ && !(owner_ && owner_->isVisible())) return false;
        dialog_ = std::make_unique<QProgressDialog>(owner_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumWidth(480);
    }
    if (!dialog_->isVisible()) dialog_->show();
    return true;
}

void GUIProgressDlg::Begin(std::string_view title, int total, void* /*owner*/) {
    title_ = ProgressPasses::Caption(title);
    cancelled_ = false;
    rangeFromFolder_ = total < 0;
    if (!ShowWhenPossible()) return;
    dialog_->reset();  // a Cancel pressed in the pass before is forgotten
    steps_ = 0;
    sinceUpdate_.invalidate();
    dialog_->setWindowTitle(AppCaption(title_));
    dialog_->setRange(0, rangeFromFolder_ ? 50 : std::max(total, 1));
    dialog_->setValue(0);
    dialog_->setLabelText(QString());
    QApplication::processEvents();
}

void GUIProgressDlg::End() {
    if (!dialog_) return;
    QApplication::processEvents();
    // A job of several passes keeps one window until its last pass.
    if (ProgressPasses::Count() != 0 && ProgressPasses::Current() != ProgressPasses::Count())
        return;
    dialog_->hide();
}

bool GUIProgressDlg::Due() {
    // Painting every step of a 10,000-file pass would cost ten times the pass: the window is
    // brought up to date, and Cancel looked at, a few dozen times a second.
    if (sinceUpdate_.isValid() && sinceUpdate_.elapsed() < kUpdateMs) return false;
    sinceUpdate_.start();
    return true;
}

void GUIProgressDlg::SetFolder(std::string_view text, bool* cancel) {
    if (ShowWhenPossible()) {
        if (rangeFromFolder_) {
            rangeFromFolder_ = false;
            dialog_->setRange(0, EntriesBelow(std::string(text)) + 1);
            dialog_->setValue(0);
            steps_ = 0;
        }
        if (Due()) {
            dialog_->setLabelText("Directory: " + Q(ShortenPath(text, 70)));
            QApplication::processEvents();
            // Seen by this call and every later one until the next Begin.
            cancelled_ = cancelled_ || dialog_->wasCanceled();
        }
    }
    if (cancel) *cancel = cancelled_;
}

void GUIProgressDlg::Step(std::string_view text, int count) {
    if (!ShowWhenPossible()) return;
    if (count != 0) ++steps_;
    if (!Due()) return;
    const std::string shortened = ShortenPath(text, 70);
    dialog_->setLabelText("File: " + Q(PathName(shortened)) +
                          "\nDirectory: " + Q(PathDirectory(shortened)));
    dialog_->setValue(std::min(steps_, dialog_->maximum()));
    QApplication::processEvents();
    cancelled_ = cancelled_ || dialog_->wasCanceled();
}

// ---- EQtServices ----

EQtServices::EQtServices(QWidget* owner, std::function<void(const QString&, bool)> status)
    : owner_(owner), status_(std::move(status)) {}

void EQtServices::SetAnswerHook(Hook hook) {
    AnswerHook() = std::move(hook);
}

std::unique_ptr<GUIProgress> EQtServices::CreateProgress(ProgressKind kind) {
    if (kind == ProgressKind::Silent) return std::make_unique<GUIProgress>();
    return std::make_unique<GUIProgressDlg>(owner_, kind == ProgressKind::StartAware);
}

void EQtServices::ShowStatusMessage(std::string_view text, bool flash) {
    if (status_) status_(Q(text), flash);
}

void EQtServices::MessageBox(std::string_view text) {
    Ask(owner_, "Tidewright", Q(text), QMessageBox::Ok, QMessageBox::Ok);
}

bool EQtServices::AskYesNo(std::string_view text) {
    return Ask(owner_, "Tidewright", Q(text), QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes) == QMessageBox::Yes;
}

Answer EQtServices::AskReadOnly(std::string_view path) {
    const int pressed =
        Ask(owner_, AppCaption("Read-only File"),
            "The following file is read only:\n" + Q(ShortenPath(path, 255)) +
                "\n\nDo you want to change its attributes to make it writable?",
            QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll,
            QMessageBox::Yes);
    switch (pressed) {
        case QMessageBox::YesToAll:
            return Answer::YesToAll;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::NoToAll:
            return Answer::NoToAll;
        default:
            return Answer::Yes;  // Yes, or closed another way: writable, this file only
    }
}

// With a test's answer hook, the warnings are answered by it as the plain questions are.
Answer EQtServices::WarnBeginTracking(bool* dontAskAgain) {
    if (AnswerHook()) {
        *dontAskAgain = false;
        return AnswerHook()("Begin Site Tracking") == QMessageBox::Cancel ? Answer::Cancel
                                                                          : Answer::Ok;
    }
    return dialogs::WarnBeginTracking(owner_, dontAskAgain) == dialogs::kWarnOk ? Answer::Ok
                                                                                : Answer::Cancel;
}

void EQtServices::ShowLoadErrors(std::string_view text, bool* dontShowAgain) {
    if (AnswerHook()) {
        *dontShowAgain = false;
        AnswerHook()(Q(text));
        return;
    }
    // The log's report is plain text with tabs; a section's may be simple HTML.
    QString report = Q(text);
    if (!Qt::mightBeRichText(report)) report = report.toHtmlEscaped().replace("\n", "<br>");
    dialogs::ShowLoadErrors(owner_, report, dontShowAgain);
}

void EQtServices::WarnFileErrors(std::string_view text, bool* dontWarnAgain) {
    Ask(owner_, AppCaption("File Errors"), Q(text), QMessageBox::Ok, QMessageBox::Ok,
        "Don't show this again", dontWarnAgain);
}

Answer EQtServices::WarnSiteUntracked(bool* dontWarnAgain) {
    if (AnswerHook()) {
        *dontWarnAgain = false;
        return AnswerHook()("not being tracked") == QMessageBox::Cancel ? Answer::Cancel
                                                                        : Answer::Ok;
    }
    switch (dialogs::WarnNotTracked(owner_, dontWarnAgain)) {
        case dialogs::kWarnOk:
            return Answer::Ok;
        case dialogs::kWarnOther:
            // "Track Site...": the operation waits; the site is set up first.
            if (trackSite_) QTimer::singleShot(0, owner_, trackSite_);
            return Answer::Cancel;
        default:
            return Answer::Cancel;
    }
}

Answer EQtServices::ConfirmReloadSite(bool* dontAskAgain) {
    int pressed = 0;
    if (AnswerHook()) {
        *dontAskAgain = false;
        pressed = AnswerHook()(
            "Tidewright has detected that file in a site you are tracking has "
            "been modified.");
        return pressed == QMessageBox::Yes  ? Answer::Yes
               : pressed == QMessageBox::No ? Answer::No
                                            : Answer::Cancel;
    }
    pressed = dialogs::ConfirmReloadSite(owner_, dontAskAgain);
    return pressed == dialogs::kWarnYes  ? Answer::Yes
           : pressed == dialogs::kWarnNo ? Answer::No
                                         : Answer::Cancel;
}

void EQtServices::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace tw::app
