#pragma once
// The application's only top-level window: the three panes side by side in a splitter, the
// menus of the command table, the web and view toolbars, the status bar with the last
// command's outcome and the drive line, and the command history with Undo and Redo. Its
// layout (size, maximised, pane widths, third pane, titles) is kept in the settings.

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/ChangeNotifier.h"
#include "app/CommandTable.h"
#include "app/FolderTrail.h"
#include "app/SizeCounter.h"
#include "core/settings/SettingsStore.h"
#include "dialogs/CommandRunner.h"
#include "engine/commands/History.h"
#include "engine/model/Changes.h"
#include "ui/components/PaneFrame.h"
#include "views/GPathCB.h"
#include "views/GThirdPane.h"
#include "views/GViewComputer.h"
#include "views/GViewFile.h"
#include "views/GViewTree.h"

namespace tw {
class EAppSite;
}

namespace tw::app {

class CMainFrame : public QMainWindow, public IChangeListener {
    Q_OBJECT
  public:
    CMainFrame();
    ~CMainFrame() override;

    QAction* Action(CommandId id) const { return actions_.value(id); }
    ECommandHistory& History() { return history_; }
    // Runs a command through the history and brings the menus up to date.
    bool ExecuteCommand(std::unique_ptr<ECommand> command);
    void Run(CommandId id);

    // Files dropped on a folder: moved, copied or linked by the drop rules (asking with the drop
    // menu when the settings say so), through the site commands.
    void Drop(const QStringList& paths, const QString& folder, Qt::KeyboardModifiers keys);
    // The clipboard's files into a folder (with a trailing separator; the current folder when
    // empty): copied or moved (a duplicate or a refusal when they come from it), links kept
    // valid.
    void Paste(QString folder = {});
    // An in-place rename: checked, then run as a site rename command (links kept valid).
    void RenameTo(const QString& path, const QString& newName);
    // The panes read the disk again (F5, and after a load).
    void RefreshPanes();
    // After a command, an undo or a redo: the panes show what the engine says it changed.
    void OnChanges(const ChangeBatch& batch) override;
    // Enables every command by the table and the current state; sets the Undo/Redo texts.
    void UpdateCommands();
    CommandState CurrentState() const;

    void ShowRightPane(bool show);
    void ShowTitles(bool on);
    bool RightPaneShown() const { return rightShown_; }
    // "Basic File Manager" (0), "Basic Web Manager" (1), "Expert Web Manager" (2).
    void ApplyPreset(int preset);
    // The bars, titles and third pane as these switches say, and the switches kept.
    void ApplySwitches(const WindowSwitches& switches);
    WindowSwitches CurrentSwitches() const;
    void ShowStatusMessage(const QString& text, bool flash);
    QString StatusMessage() const { return status_->text(); }
    QSplitter* Splitter() const { return splitter_; }
    ui::PaneFrame* Pane(int index) const;
    views::GViewTree* Tree() const { return treeView_; }
    views::GViewFile* Files() const { return fileView_; }
    views::GViewComputer* Drives() const { return computerView_; }
    views::GThirdPane* ThirdPane() const { return thirdPane_; }

    // Loads every defined site (asking first when the settings say so) and watches them.
    void LoadSites();
    // Defines a site for a folder (its home page the folder's default page) and loads it.
    EAppSite* TrackSite(const QString& folder);
    // Tab and Shift+Tab (F6 and Shift+F6 too) move the focus tree -> file list -> third pane
    // -> tree; false when the key is not for the panes.
    bool FocusNextPane(bool forward);
    // "Quick Start Guide"; at start-up it turns itself off only when asked to.
    void RunQuickStart(bool atStartup);
    // Activation as the window system reports it; public for tests, which have no focus.
    void SetApplicationActive(bool active);
    // The watcher of the tracked sites' folders (its reports, for tests).
    const ChangeNotifier& Notifier() const { return notifier_; }

  signals:
    // A reload check ran after changes made while the application was inactive.
    void ReloadChecked();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // A command's icon and what it does, in one row (its menu, text, keys and enabling rule
    // are in CommandTable).
    struct CommandBinding {
        CommandId id;
        const char* icon;  // the icon theme's name; null for none
        QStyle::StandardPixmap fallback;
        std::function<void()> run;  // empty: not carried out here yet, so never enabled
    };
    std::vector<CommandBinding> MakeBindings();
    bool Bound(CommandId id) const;
    void ChooseThirdPaneView(CommandId id);
    void CutOrCopy(const QStringList& paths, bool copy);
    void NewFolder();
    // Back (or Forward) to the folder before (after) the current one in the trail.
    void StepThroughTrail(bool back);
    void BuildMenus();
    void BuildToolBars();
    void BuildPanes();
    void BuildPaneToolBars();
    // The pane toolbars and status bars as their switches say; the link pane's only while it
    // shows a page.
    void ApplyPaneBars();
    void ShowPageCounts();
    // The menu of a right click on items (their paths) or on the file list's background.
    void ShowContextMenu(const QStringList& paths, const QPoint& at);
    // The site a site command works on: the current one, the only one, or one the user picks
    // ("Select a Tracked Site"); null when there is none or the user cancelled.
    EAppSite* ChooseTrackedSite();
    // A folder asked for, then "Define Web Site" for it; the new site or null.
    EAppSite* DefineNewSite();
    void FixAllLinks();
    void RemoveOrphans();
    // Opens the Replace Link dialog for a link of a page.
    void RepairLink(const QString& page, int urlIndex);
    void RestoreLayout();
    void SaveLayout();
    void WatchSites();
    void OnSitesChanged(const QList<void*>& sites);
    void OnSelectionChanged(QObject* source = nullptr);
    EAppSite* CurrentSite() const;
    void ShowOverview();
    void GatherStatistics();
    void OpenFiles();
    // A file opened with the desktop's program for it.
    void OpenPath(const QString& path);
    // Pages and pictures opened in the chosen editors (asked for the first time).
    void EditFiles();
    void EditFile(const QString& path);
    // What dialogs run their commands through: the history, so the Edit menu can undo them.
    dialogs::CommandRunner Runner();
    // The current page read again: the link pane's counts and the third pane.
    void RefreshPage();
    void RemoveSite(EAppSite* site);
    // Site, Track Web Site: the current file's site edited, else a new site proposed.
    void TrackWebSite();
    // "Define Web Site" for a new site of a folder (or of a file's folder, the file its home
    // page); the site defined and loaded, or null.
    EAppSite* ProposeNewSite(const QString& path);
    EAppSite* AddSite(std::unique_ptr<EAppSite> site);
    // "Define Web Site" for a site; the dialog's result (removal and reloading done).
    int EditSite(EAppSite* site);
    void ManageSites();
    // "Set Display Options"; what it changed shows at once.
    void ViewOptions();
    QString ContextPage() const;
    void StartCounts();
    void AddCountParts(ui::PaneFrame* pane, SizeCounter& counter, bool& recursive);

    ECommandHistory history_;
    std::vector<CommandBinding> bindings_;
    FolderTrail trail_;      // Back and Forward
    bool stepping_ = false;  // a selection made by Back or Forward is no new visit
    QHash<int, QAction*> actions_;
    QSplitter* splitter_ = nullptr;
    ui::GFrameTree* tree_ = nullptr;
    views::GViewTree* treeView_ = nullptr;
    views::GViewFile* fileView_ = nullptr;
    views::GViewComputer* computerView_ = nullptr;
    QStackedWidget* fileStack_ = nullptr;  // the file list, or the drives at the computer level
    views::GThirdPane* thirdPane_ = nullptr;
    views::GPathCB* historyBox_ = nullptr;
    ui::GFrameFile* files_ = nullptr;
    ui::GFrameLink* links_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* drive_ = nullptr;
    QTimer flash_;
    int flashStep_ = 0;
    bool rightShown_ = true;
    int leftWidth_ = 200, middleWidth_ = 370, rightWidth_ = 320;
    bool showRightAtStart_ = true, layoutApplied_ = false;
    bool active_ = true;
    ChangeNotifier notifier_;
    // The folder pane's and the file pane's counts, and whether each descends into subfolders.
    SizeCounter folderCount_, fileCount_;
    bool folderRecursive_ = false, fileRecursive_ = false;
};

}  // namespace tw::app
