#pragma once
// "Set Display Options": topics on the left, the chosen topic's page on the right. A page is
// made the first time it is shown and reads its settings then; OK has every page that was
// shown write its settings back (pages never opened write nothing); Cancel writes nothing but
// the page last shown.

#include <QDialog>
#include <QStackedWidget>
#include <QTreeWidget>
#include <functional>
#include <map>

#include "core/settings/SettingsStore.h"

namespace tw::dialogs {

// One page: its controls read their settings on Load and write them on Save.
class OptionsPage : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    virtual void Load() = 0;
    virtual void Save() = 0;
};

class GDlgOptions : public QDialog {
    Q_OBJECT
  public:
    enum Page {
        kAppearance = 122,
        kFolders = 123,
        kFiles = 124,
        kDetails = 125,
        kFileManage = 126,
        kDnD = 127,
        kHelpers = 128,
        kWarn = 129,
        kNotifications = 130,
        kTroubleshoot = 131,
    };
    // What the Appearance page reads from and gives to the window.
    struct Host {
        std::function<WindowSwitches()> currentSwitches;
        std::function<void(const WindowSwitches&)> applySwitches;
    };

    explicit GDlgOptions(Host host, QWidget* parent = nullptr);
    void ShowPage(int id);
    int ShownPage() const { return shown_; }
    OptionsPage* FindPage(int id) const;
    QTreeWidget* Topics() const { return topics_; }
    void accept() override;
    void reject() override;

  private:
    OptionsPage* CreatePage(int id);

    Host host_;
    QTreeWidget* topics_;
    QStackedWidget* stack_;
    std::map<int, OptionsPage*> pages_;  // owned by the stack
    int shown_ = 0;
};

}  // namespace tw::dialogs
