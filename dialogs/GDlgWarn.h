#pragma once
// The warnings shown before risky operations, and the report of a load's errors: a small
// dialog with an icon, an optional bold headline, the message, an optional "don't warn me
// again" box tied to a setting, and its own buttons. Each warning's text, buttons and switch
// are those the rest of the program relies on; Cancel always means the operation does not go
// ahead.

#include <QCheckBox>
#include <QDialog>
#include <QIcon>
#include <QList>
#include <functional>
#include <string>

namespace tw::dialogs {

class GDlgWarn : public QDialog {
    Q_OBJECT
  public:
    struct Button {
        QString text;
        int result = 0;
        bool isDefault = false;
        QIcon icon;
    };
    struct Spec {
        QString title;
        QString headline;  // bold, above the message; may be empty
        QString message;
        QString checkText;  // empty: no check box
        QList<Button> buttons;
        std::string positionKey;  // empty: placed by the window system
        bool richText = false;    // the message is simple HTML (the error report)
        bool resizable = false;
    };

    GDlgWarn(const Spec& spec, QWidget* parent = nullptr);
    // The result of the button pressed (Escape and closing: the last button's, Cancel).
    int Run(bool* checked = nullptr);
    QCheckBox* Check() const { return check_; }

    // Tests answer warnings without showing them: the hook gets the dialog's title and gives
    // the result of the button to press (and whether the box is ticked).
    using Hook = std::function<int(const QString& title, bool* checked)>;
    static void SetHook(Hook hook);

  private:
    Spec spec_;
    QCheckBox* check_ = nullptr;
};

// Results of the warnings' buttons.
enum WarnResult { kWarnCancel = 0, kWarnOk, kWarnYes, kWarnNo, kWarnOther };

// "Confirm File Delete" for these paths; true to go ahead. Reads and writes "1WarnOnRecycle"
// (ticking the box switches the warning off whatever the button).
bool ConfirmFileDelete(QWidget* parent, const QStringList& paths);
// "Begin Site Tracking": kWarnOk loads the sites; the box is "always load".
int WarnBeginTracking(QWidget* parent, bool* dontAskAgain);
// "Confirm Reload Site": kWarnYes, kWarnNo or kWarnCancel; the box is "always reload".
int ConfirmReloadSite(QWidget* parent, bool* dontAskAgain);
// "File and Syntax Errors": the load's error report (simple HTML); a report too long to read
// is replaced by a pointer to the statistics report.
void ShowLoadErrors(QWidget* parent, const QString& report, bool* dontShowAgain);
// "Confirm Remove Orphans Now": kWarnOther ("Fix Links"), kWarnOk ("Remove Orphans") or
// kWarnCancel. Writes "1WarnFixLinksFirst".
int ConfirmRemoveOrphansNow(QWidget* parent);
// "Confirm Operation on Untracked Site": kWarnOther ("Track Site..."), kWarnOk ("Continue")
// or kWarnCancel; the box is "don't warn me next time".
int WarnNotTracked(QWidget* parent, bool* dontWarnAgain);

// The longest error report shown as it is.
constexpr int kLongestErrorReport = 32768;

}  // namespace tw::dialogs
