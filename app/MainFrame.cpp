#include "app/MainFrame.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include "app/Choosers.h"
#include "app/DropRules.h"
#include "app/HelpViewer.h"
#include "app/QuickStart.h"
#include "core/platform/Drives.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/platform/SizeText.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "dialogs/GDlgEditor.h"
#include "dialogs/GDlgFixAll.h"
#include "dialogs/GDlgFixLink.h"
#include "dialogs/GDlgOptions.h"
#include "dialogs/GDlgOrphans.h"
#include "dialogs/GDlgReports.h"
#include "dialogs/GDlgSites.h"
#include "dialogs/GDlgWarn.h"
#include "engine/commands/SiteCommands.h"
#include "engine/commands/UniqueNames.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/report/Overview.h"
#include "engine/report/StatisticsReport.h"
#include "engine/services/Browse.h"
#include "engine/services/UiServices.h"
#include "ui/components/Clipboard.h"
#include "ui/components/SelectionCoordinator.h"

namespace tw::app {

using ui::ClipboardPaths;
using ui::OfferPaths;
using ui::SelectionCoordinator;

namespace {

constexpr int kMinPane = 50;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string S(const QString& text) {
    return text.toStdString();
}

std::vector<std::string> S(const QStringList& texts) {
    std::vector<std::string> out;
    for (const QString& text : texts) out.push_back(text.toStdString());
    return out;
}

QStringList Q(const std::vector<std::string>& texts) {
    QStringList out;
    for (const std::string& text : texts) out << QString::fromStdString(text);
    return out;
}

// The part of a menu text before its key ("&Undo move\tCtrl+Z" -> "&Undo move").
QString TextPart(std::string_view text) {
    return Q(text.substr(0, text.find('\t')));
}

QList<QKeySequence> KeysOf(const MenuCommand& command) {
    QList<QKeySequence> keys;
    const std::size_t tab = command.text.find('\t');
    if (tab != std::string_view::npos) keys << QKeySequence(Q(command.text.substr(tab + 1)));
    for (std::string_view key : command.moreKeys) keys << QKeySequence(Q(key));
    return keys;
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
}

bool IsHtmlOrImage(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == "htm" || ext == "html" || IsImageFile(S(path));
}

}  // namespace

CMainFrame::CMainFrame() {
    setWindowTitle("Tidewright");
    setMinimumSize(400, 300);
    bindings_ = MakeBindings();
    BuildMenus();
    BuildToolBars();
    BuildPanes();
    status_ = new QLabel(this);
    drive_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(drive_);
    flash_.setInterval(500);
    connect(&flash_, &QTimer::timeout, this, [this] {
        // Active-caption colours, then the menu colours, then active-caption again to stay.
        ++flashStep_;
        status_->setBackgroundRole(flashStep_ == 1 ? QPalette::Window : QPalette::Highlight);
        status_->setForegroundRole(flashStep_ == 1 ? QPalette::WindowText
                                                   : QPalette::HighlightedText);
        if (flashStep_ >= 2) flash_.stop();
    });
    connect(&SelectionCoordinator::Instance(), &SelectionCoordinator::Changed, this,
            &CMainFrame::OnSelectionChanged);
    connect(&notifier_, &ChangeNotifier::Changed, this, &CMainFrame::OnSitesChanged);
    connect(qApp, &QApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState s) { SetApplicationActive(s == Qt::ApplicationActive); });
    RestoreLayout();
    UpdateCommands();
    EChanges::Instance().Subscribe(this);
}

CMainFrame::~CMainFrame() {
    EChanges::Instance().Unsubscribe(this);
    notifier_.RemoveAll();
    folderCount_.Stop();
    fileCount_.Stop();
}

// ---- building ----

void CMainFrame::BuildMenus() {
    QHash<QString, QMenu*> menus;
    for (const MenuCommand& command : MenuCommands()) {
        const QString name = Q(command.menu);
        QMenu*& menu = menus[name];
        if (!menu) {
            menu = menuBar()->addMenu(name);
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        }
        if (command.id == kSeparator) {
            menu->addSeparator();
            continue;
        }
        auto* action = menu->addAction(TextPart(command.text));
        action->setShortcuts(KeysOf(command));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(command.id == kShowTitles || command.id == kShowRight);
        const CommandId id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        actions_.insert(id, action);
    }
    // The pane toolbars' own commands, which no menu lists.
    const std::pair<CommandId, const char*> toolbarOnly[] = {{kViewDetails, "View details"},
                                                             {kViewLinks, "View links"}};
    auto* pageViews = new QActionGroup(this);
    for (const auto& [id, text] : toolbarOnly) {
        auto* action = new QAction(text, this);
        const CommandId command = id;
        connect(action, &QAction::triggered, this, [this, command] { Run(command); });
        actions_.insert(id, action);
        action->setCheckable(true);
        pageViews->addAction(action);
    }
    actions_
        .value(SettingsStore::Instance().ReadBool("0PreferLinkView") ? kViewLinks : kViewDetails)
        ->setChecked(true);
    for (const CommandBinding& binding : bindings_)
        if (QAction* action = actions_.value(binding.id); action && binding.icon)
            action->setIcon(ThemeIcon(binding.icon, binding.fallback));
}

void CMainFrame::BuildToolBars() {
    QToolBar* web = addToolBar("Web");
    web->setObjectName("WebToolbar");
    for (CommandId id : {kManageSites, kTrackSite, kSeparator, kFixAllLinks, kRemoveOrphans,
                         kOverview, kStatistics}) {
        if (id == kSeparator)
            web->addSeparator();
        else
            web->addAction(actions_.value(id));
    }
    QToolBar* view = addToolBar("View");
    view->setObjectName("ViewToolbar");
    view->addAction(actions_.value(kViewOptions));
    // "Window configurations": a click toggles the third pane, its arrow offers the presets.
    auto* presets = new QMenu(this);
    presets->addAction(actions_.value(kShowRight));
    presets->addAction(actions_.value(kShowTitles));
    presets->addSeparator();
    const char* names[] = {"Basic &File Manager", "&Basic Web Manager", "Expert &Web Manager"};
    for (int i = 0; i < 3; ++i)
        connect(presets->addAction(names[i]), &QAction::triggered, this,
                [this, i] { ApplyPreset(i); });
    auto* configurations =
        new QAction(ThemeIcon("view-split-left-right", QStyle::SP_FileDialogContentsView),
                    "Window configurations", this);
    configurations->setMenu(presets);
    connect(configurations, &QAction::triggered, this, [this] { Run(kWindowConfigurations); });
    actions_.insert(kWindowConfigurations, configurations);
    view->addAction(configurations);
    if (auto* button = qobject_cast<QToolButton*>(view->widgetForAction(configurations)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
    view->addSeparator();
    view->addAction(actions_.value(kContextHelp));
}

void CMainFrame::BuildPanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    tree_ = new ui::GFrameTree(splitter_);
    files_ = new ui::GFrameFile(splitter_);
    links_ = new ui::GFrameLink(splitter_);
    treeView_ = new views::GViewTree;
    tree_->SetView(treeView_);
    fileStack_ = new QStackedWidget;
    fileView_ = new views::GViewFile(fileStack_);
    computerView_ = new views::GViewComputer(fileStack_);
    fileStack_->addWidget(fileView_);
    fileStack_->addWidget(computerView_);
    fileStack_->setFocusProxy(fileView_);
    files_->SetView(fileStack_);
    connect(fileView_, &views::GViewFile::RenameRequested, this, &CMainFrame::RenameTo);
    connect(treeView_, &views::GViewTree::RenameRequested, this, &CMainFrame::RenameTo);
    connect(fileView_, &views::GViewFile::ContextMenuRequested, this,
            [this](const QStringList& paths, const QPoint& at) { ShowContextMenu(paths, at); });
    connect(treeView_, &views::GViewTree::ContextMenuRequested, this,
            [this](const QString& path, const QPoint& at) {
                if (!path.isEmpty()) ShowContextMenu({path}, at);
            });
    connect(computerView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QAction* refresh = menu.addAction("&Refresh");
        menu.addAction("Ca&ncel\tEsc");
        if (menu.exec(computerView_->viewport()->mapToGlobal(at)) == refresh) computerView_->Fill();
    });
    computerView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fileView_, &views::GViewFile::UpOneLevelRequested, this, [this] { Run(kUpOneLevel); });
    connect(treeView_, &views::GViewTree::UpOneLevelRequested, this, [this] { Run(kUpOneLevel); });
    connect(treeView_, &views::GViewTree::DeleteRequested, this, [this] { Run(kDeleteFiles); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        // Another cut or copy, here or elsewhere, ends the faded look of the last cut.
        QStringList paths;
        bool copy = true;
        if (!ClipboardPaths(paths, copy) || copy) {
            fileView_->ClearCutMarks();
            treeView_->ClearCutMarks();
        }
    });
    connect(fileView_, &views::GViewFile::DropRequested, this, &CMainFrame::Drop);
    connect(treeView_, &views::GViewTree::DropRequested, this, &CMainFrame::Drop);
    connect(fileView_, &views::GViewFile::OpenRequested, this, &CMainFrame::OpenPath);
    const views::PaneActions paneActions{actions_.value(kTrackSite), actions_.value(kViewDetails),
                                         actions_.value(kViewLinks)};
    thirdPane_ = new views::GThirdPane(paneActions);
    links_->SetView(thirdPane_);
    connect(thirdPane_, &views::GThirdPane::KindChanged, this, &CMainFrame::ApplyPaneBars);
    connect(thirdPane_, &views::GThirdPane::OpenRequested, this, &CMainFrame::OpenPath);
    connect(thirdPane_, &views::GThirdPane::FileChosen, this,
            [](const QString& path) { SelectionCoordinator::Instance().SelectFile(path); });
    connect(thirdPane_, &views::GThirdPane::RepairRequested, this, &CMainFrame::RepairLink);
    qApp->installEventFilter(this);
    auto* next = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(next, &QShortcut::activated, this, [this] { FocusNextPane(true); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(previous, &QShortcut::activated, this, [this] { FocusNextPane(false); });
    AddCountParts(tree_, folderCount_, folderRecursive_);
    AddCountParts(files_, fileCount_, fileRecursive_);
    links_->SetParts(4);
    for (int i = 0; i < 3; ++i) splitter_->setCollapsible(i, i == 2);
    BuildPaneToolBars();
    setCentralWidget(splitter_);
}

void CMainFrame::BuildPaneToolBars() {
    // The folder pane: the folder history box, stretched to the pane's width.
    historyBox_ = new views::GPathCB;
    historyBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tree_->ToolBar()->addWidget(historyBox_);
    connect(historyBox_, &views::GPathCB::FolderChosen, this, [this](const QString& path) {
        // A folder chosen from the list or typed; a typed file is selected in its folder.
        SelectionCoordinator& selection = SelectionCoordinator::Instance();
        const QFileInfo info(path);
        if (info.isDir())
            selection.SelectDir(path);
        else if (info.exists())
            selection.SelectFile(path);
        else
            ShowStatusMessage("There is no folder or file " + path, true);
    });
    for (CommandId id :
         {kBack, kForward, kUpOneLevel, kOpenFiles, kEditFiles, kPrintFile, kSeparator, kNewFolder,
          kNewShortcut, kSeparator, kDeleteFiles, kRenameFile}) {
        if (id == kSeparator)
            files_->ToolBar()->addSeparator();
        else
            files_->ToolBar()->addAction(actions_.value(id));
    }
    QToolBar* linkBar = links_->ToolBar();
    linkBar->addAction(actions_.value(kViewDetails));
    linkBar->addAction(actions_.value(kViewLinks));
    linkBar->addSeparator();
    linkBar->addActions(thirdPane_->FilterActions());
    for (int i = 0; i < 3; ++i) Pane(i)->ToolBar()->setIconSize(QSize(16, 16));
}

void CMainFrame::ApplyPaneBars() {
    const WindowSwitches switches = SettingsStore::Instance().ReadWindowSwitches();
    for (int i = 0; i < 3; ++i) {
        // The link pane's bars speak of a page: elsewhere they would only take room.
        const bool applies = i != 2 || thirdPane_->ShowsPage();
        Pane(i)->StatusBar()->setVisible(applies && switches.bars[1 + static_cast<std::size_t>(i)]);
        Pane(i)->ToolBar()->setVisible(applies && switches.bars[6 + static_cast<std::size_t>(i)]);
    }
}

void CMainFrame::ShowPageCounts() {
    const ESiteRegistry& registry = ESiteRegistry::Instance();
    links_->Part(1)->setText(QString("%1 links").arg(registry.pageUrlCount));
    links_->Part(2)->setText(registry.pageBrokenCount < 0
                                 ? QString("?? bad")
                                 : QString("%1 bad").arg(registry.pageBrokenCount));
    links_->Part(3)->setText(QString("%1 external").arg(registry.pageExternalCount));
}

void CMainFrame::AddCountParts(ui::PaneFrame* pane, SizeCounter& counter, bool& recursive) {
    // A two-state button that counts subfolders too, then "%d items" and the size in KB.
    auto* subfolders = new QToolButton(pane->StatusBar());
    subfolders->setText("NO SUB");
    subfolders->setCheckable(true);
    subfolders->setAutoRaise(true);
    subfolders->setToolTip("Count the files in subfolders too");
    pane->StatusBar()->addWidget(subfolders);
    pane->SetParts(2);
    connect(subfolders, &QToolButton::toggled, this, [this, subfolders, &recursive](bool on) {
        subfolders->setText(on ? "SUB" : "NO SUB");
        recursive = on;
        StartCounts();
    });
    connect(&counter, &SizeCounter::Counted, pane, [pane](qint64 files, qint64 bytes, bool) {
        pane->Part(0)->setText(QString("%1 items").arg(files));
        pane->Part(1)->setText(Q(SizeText(static_cast<std::uint64_t>(bytes), 1)));
    });
}

void CMainFrame::StartCounts() {
    const SelectionCoordinator& selection = SelectionCoordinator::Instance();
    const QString folder = selection.CurrentFolder();
    folderCount_.Start(folder.isEmpty() ? QStringList() : QStringList{folder}, folderRecursive_);
    // A folder chosen as such leaves the file pane's count empty until files are selected.
    fileCount_.Start(selection.FolderOnly() ? QStringList() : selection.Selection(),
                     fileRecursive_);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier;
        const bool backtab = key->key() == Qt::Key_Backtab;
        if ((tab || backtab) && FocusNextPane(tab)) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::FocusNextPane(bool forward) {
    QWidget* focus = QApplication::focusWidget();
    int current = -1;
    for (int i = 0; i < 3 && focus; ++i)
        if (Pane(i)->isAncestorOf(focus) || Pane(i) == focus) current = i;
    if (current < 0) return false;
    // The third pane's own controls would take Tab among themselves; today its list is its
    // one control (its first and its last), so the focus leaves from it.
    int target = (current + (forward ? 1 : 2)) % 3;
    if (target == 2 && !rightShown_) target = forward ? 0 : 1;
    Pane(target)->View()->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    // Arriving in the tree selects its folder again.
    if (target == 0)
        SelectionCoordinator::Instance().SelectDir(
            SelectionCoordinator::Instance().CurrentFolder());
    return true;
}

ui::PaneFrame* CMainFrame::Pane(int index) const {
    return index == 0   ? static_cast<ui::PaneFrame*>(tree_)
           : index == 1 ? static_cast<ui::PaneFrame*>(files_)
                        : static_cast<ui::PaneFrame*>(links_);
}

// ---- layout and its persistence ----

void CMainFrame::RestoreLayout() {
    SettingsStore& settings = SettingsStore::Instance();
    const Rect rect = settings.ReadRect("AppRect");
    // Never larger than the screen it opens on (a small screen, or a large scale factor).
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1100, 700);
    if (!rect.IsEmpty())
        setGeometry(QRect(rect.left, rect.top, std::min(rect.Width(), room.width()),
                          std::min(rect.Height(), room.height())));
    else
        resize(std::min(1100, room.width()), std::min(700, room.height()));
    const WindowSwitches switches = settings.ReadWindowSwitches();
    statusBar()->setVisible(switches.bars[0]);
    findChild<QToolBar*>("WebToolbar")->setVisible(switches.bars[4]);
    findChild<QToolBar*>("ViewToolbar")->setVisible(switches.bars[5]);
    ApplyPaneBars();
    middleWidth_ = settings.ReadNonNegativeInt("370MidWidth");
    // A stored width below 50 still opens the pane 50 wide; none stored gives it room to read.
    const bool rightStored = !settings.ReadString(SettingsStore::kSection, "RightWidth").empty();
    rightWidth_ = rightStored ? std::max(settings.ReadNonNegativeInt("RightWidth"), kMinPane) : 320;
    leftWidth_ = settings.ReadNonNegativeInt("200LeftWidth");
    ShowTitles(switches.showTitles);
    showRightAtStart_ = switches.showRight;
    actions_.value(kShowRight)->setChecked(showRightAtStart_);
    // The outer panes keep their widths when the window is resized; the file list takes the rest.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setStretchFactor(2, 0);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (layoutApplied_) return;
    // The widths apply once the window has its size: before, the splitter would scale them.
    layoutApplied_ = true;
    splitter_->setSizes({leftWidth_, middleWidth_, rightWidth_});
    rightShown_ = true;
    if (!showRightAtStart_) ShowRightPane(false);
}

void CMainFrame::SaveLayout() {
    SettingsStore& settings = SettingsStore::Instance();
    settings.WriteBool("1ShowTitles", actions_.value(kShowTitles)->isChecked());
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings.WriteRect("AppRect",
                       {normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1});
    settings.WriteBool("1Maximized", isMaximized());
    const QList<int> sizes = splitter_->sizes();
    settings.WriteInt("200LeftWidth", sizes.value(0));
    // While the third pane is hidden, the widths it had are the ones to keep.
    settings.WriteInt("370MidWidth", rightShown_ ? sizes.value(1) : middleWidth_);
    settings.WriteInt("RightWidth", rightShown_ ? sizes.value(2) : rightWidth_);
    settings.WriteBool("1ShowRight", rightShown_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveLayout();
    fileView_->SaveLayout();
    history_.Clear();
    event->accept();
}

void CMainFrame::ShowRightPane(bool show) {
    QList<int> sizes = splitter_->sizes();
    if (show && !rightShown_) {
        const int right = std::max(rightWidth_, kMinPane);
        sizes[1] = std::max(sizes[1] - right, kMinPane);
        sizes[2] = right;
        links_->show();
        splitter_->setSizes(sizes);
    } else if (!show && rightShown_) {
        // The middle pane takes the third pane's width, and gives it back when it returns.
        middleWidth_ = sizes[1];
        rightWidth_ = sizes[2];
        sizes[1] += sizes[2];
        sizes[2] = 0;
        splitter_->setSizes(sizes);
        links_->hide();
    }
    rightShown_ = show;
    actions_.value(kShowRight)->setChecked(show);
}

void CMainFrame::ShowTitles(bool on) {
    for (int i = 0; i < 3; ++i) Pane(i)->ShowTitle(on);
    actions_.value(kShowTitles)->setChecked(on);
}

void CMainFrame::ApplyPreset(int preset) {
    ApplySwitches(WindowPresets()[static_cast<std::size_t>(preset)].switches);
}

WindowSwitches CMainFrame::CurrentSwitches() const {
    WindowSwitches switches = SettingsStore::Instance().ReadWindowSwitches();
    switches.showTitles = actions_.value(kShowTitles)->isChecked();
    switches.showRight = rightShown_;
    return switches;
}

void CMainFrame::ApplySwitches(const WindowSwitches& switches) {
    setUpdatesEnabled(false);
    SettingsStore::Instance().WriteWindowSwitches(switches);
    statusBar()->setVisible(switches.bars[0]);
    findChild<QToolBar*>("WebToolbar")->setVisible(switches.bars[4]);
    findChild<QToolBar*>("ViewToolbar")->setVisible(switches.bars[5]);
    ApplyPaneBars();
    ShowTitles(switches.showTitles);
    ShowRightPane(switches.showRight);
    setUpdatesEnabled(true);
}

// ---- status ----

void CMainFrame::ShowStatusMessage(const QString& text, bool flash) {
    status_->setText(text);
    status_->setAutoFillBackground(flash);
    flash_.stop();
    flashStep_ = 0;
    status_->setBackgroundRole(flash ? QPalette::Highlight : QPalette::Window);
    status_->setForegroundRole(flash ? QPalette::HighlightedText : QPalette::WindowText);
    if (flash) flash_.start();
}

// ---- commands ----

CommandState CMainFrame::CurrentState() const {
    const SelectionCoordinator& selection = SelectionCoordinator::Instance();
    CommandState state;
    const std::string folder = S(selection.CurrentFolder());
    const std::string file = S(selection.CurrentFile());
    state.hasFolder = !folder.empty();
    state.folderIsDriveRoot = folder == "/";
    state.hasFile = !file.empty();
    state.single = state.hasFile && selection.Selection().size() == 1;
    state.fileIsDriveRoot = file == "/";
    for (const QString& path : selection.Selection()) {
        if (!QFileInfo(path).isDir()) state.anyNonFolder = true;
        if (IsHtmlOrImage(path)) state.anyEditable = true;
    }
    QStringList clipboard;
    bool copy = true;
    state.clipboardHasFiles = ClipboardPaths(clipboard, copy);
    state.canUndo = history_.CanUndo();
    state.canRedo = history_.CanRedo();
    state.canGoBack = trail_.CanGoBack();
    state.canGoForward = trail_.CanGoForward();
    state.inSite = state.hasFile && ESiteRegistry::Instance().FindTrackedSite(file);
    return state;
}

void CMainFrame::UpdateCommands() {
    const CommandState state = CurrentState();
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        const auto id = static_cast<CommandId>(it.key());
        it.value()->setEnabled(Bound(id) && CommandEnabled(id, state));
    }
    actions_.value(kUndo)->setText(TextPart(history_.UndoMenuText()));
    actions_.value(kRedo)->setText(TextPart(history_.RedoMenuText()));
    drive_->setText(Q(DriveStatusText(S(SelectionCoordinator::Instance().CurrentFolder()))));
}

bool CMainFrame::ExecuteCommand(std::unique_ptr<ECommand> command) {
    // The panes follow through OnChanges, which the command's changes reach as it ends.
    const bool ok = history_.ExecuteCommand(std::move(command));
    UpdateCommands();
    return ok;
}

void CMainFrame::OnChanges(const ChangeBatch& batch) {
    treeView_->Apply(batch);
    fileView_->Apply(batch);
    RefreshPage();
    UpdateCommands();
}

void CMainFrame::RenameTo(const QString& path, const QString& newName) {
    const QString target = QFileInfo(path).absolutePath() + "/" + newName;
    // Another item of that name (not the same one in other letter case), or a name no file can
    // have: the editor opens again with the reason in the status bar.
    const char* problem = nullptr;
    if (newName.isEmpty() || newName.contains('/') || newName == "." || newName == "..")
        problem = "Error: an invalid character for a file name was entered";
    else if (QFileInfo::exists(target) && target.compare(path, Qt::CaseInsensitive) != 0)
        problem = "Error: the file or folder name you entered was already in use";
    if (problem) {
        ShowStatusMessage(problem, true);
        QTimer::singleShot(0, this, [this] { Run(kRenameFile); });
        return;
    }
    const bool fromTree = treeView_->hasFocus();
    ExecuteCommand(std::make_unique<ESiteRenameCommand>(S(path), S(target)));
    // A folder renamed in the tree stays the current folder under its new name.
    if (fromTree)
        SelectionCoordinator::Instance().SelectDir(target);
    else
        SelectionCoordinator::Instance().SelectFile(target);
}

void CMainFrame::Drop(const QStringList& paths, const QString& folder, Qt::KeyboardModifiers keys) {
    DropEffect effect = DecideDropEffect(paths, keys, folder);
    if (effect == DropEffect::Ask) {
        // The drop menu, at the mouse; its first item is the default.
        QMenu menu(this);
        QAction* move = menu.addAction("&Move Here");
        QAction* copy = menu.addAction("&Copy Here");
        QAction* link = menu.addAction("Make a &Shortcut Here");
        menu.addSeparator();
        menu.addAction("Ca&ncel\tEsc");
        menu.setDefaultAction(move);
        QAction* chosen = menu.exec(QCursor::pos());
        effect = chosen == move   ? DropEffect::Move
                 : chosen == copy ? DropEffect::Copy
                 : chosen == link ? DropEffect::Link
                                  : DropEffect::None;
    }
    if (effect == DropEffect::Move || effect == DropEffect::Copy) {
        if (const int refusal = DropRefusal(paths, folder)) {
            ShowStatusMessage(Q(LoadString(refusal)), true);
            return;
        }
    }
    switch (effect) {
        case DropEffect::Move:
            ExecuteCommand(std::make_unique<ESiteMoveCommand>(S(paths), S(folder)));
            break;
        case DropEffect::Copy:
            ExecuteCommand(std::make_unique<ESiteCopyCommand>(S(paths), S(folder)));
            break;
        case DropEffect::Link:
            ExecuteCommand(std::make_unique<ESiteShortcutCommand>(S(paths), S(folder)));
            break;
        default:
            ShowStatusMessage("Drag and drop cancelled", true);
            break;
    }
}

void CMainFrame::Paste(QString folder) {
    QStringList paths;
    bool copy = true;
    if (!ClipboardPaths(paths, copy)) return;
    if (folder.isEmpty()) folder = SelectionCoordinator::Instance().CurrentFolder();
    const QString from = QFileInfo(paths.front()).absolutePath() + "/";
    if (from.compare(folder, Qt::CaseInsensitive) == 0) {
        // Into the folder they came from: a copy becomes a duplicate, a cut does nothing.
        if (copy)
            ExecuteCommand(std::make_unique<ESiteDuplicateCommand>(S(paths)));
        else
            ShowStatusMessage(Q(LoadString(269)), true);
        return;
    }
    if (copy)
        ExecuteCommand(std::make_unique<ESiteCopyCommand>(S(paths), S(folder)));
    else
        ExecuteCommand(std::make_unique<ESiteMoveCommand>(S(paths), S(folder)));
}

void CMainFrame::RefreshPanes() {
    // What a command changed on disk shows: the folders read again, the list refilled, the
    // page in the third pane read again.
    const SelectionCoordinator& selection = SelectionCoordinator::Instance();
    treeView_->RefreshFolder(selection.CurrentFolder());
    treeView_->RefreshIcons();  // the counts of broken links up to the site's folder
    const QStringList selected = fileView_->SelectedPaths();
    fileView_->ShowFolder(selection.CurrentFolder());
    fileView_->SelectPaths(selected);
    RefreshPage();
    UpdateCommands();
}

void CMainFrame::RefreshPage() {
    ESiteRegistry::Instance().LoadPageInfo(S(SelectionCoordinator::Instance().CurrentFile()));
    ShowPageCounts();
    thirdPane_->RefreshView();
}

// ---- commands ----

std::vector<CMainFrame::CommandBinding> CMainFrame::MakeBindings() {
    // Each command's icon (the theme's name, the style's stand-in) and what it does: one row
    // each. A command without a row, or with no handler, stays disabled.
    const auto selected = [] {
        std::vector<std::string> paths;
        for (const QString& path : SelectionCoordinator::Instance().Selection())
            paths.push_back(S(path));
        return paths;
    };
    const auto help = [this](const char* page) {
        return [this, page] { ShowHelpTopic(this, page); };
    };
    SelectionCoordinator& selection = SelectionCoordinator::Instance();
    return {
        {kExit, "application-exit", QStyle::SP_DialogCloseButton, [this] { close(); }},
        {kUndo, "edit-undo", QStyle::SP_ArrowBack, [this] { history_.Undo(); }},
        {kRedo, "edit-redo", QStyle::SP_ArrowForward, [this] { history_.Redo(); }},
        // Checkable items: their state has changed already.
        {kShowTitles,
         nullptr,
         {},
         [this] { ShowTitles(actions_.value(kShowTitles)->isChecked()); }},
        {kShowRight,
         nullptr,
         {},
         [this] { ShowRightPane(actions_.value(kShowRight)->isChecked()); }},
        {kWindowConfigurations, nullptr, {}, [this] { ShowRightPane(!rightShown_); }},
        {kRefresh, "view-refresh", QStyle::SP_BrowserReload, [this] { RefreshPanes(); }},
        {kViewDetails, "document-properties", QStyle::SP_FileDialogInfoView,
         [this] { ChooseThirdPaneView(kViewDetails); }},
        {kViewLinks, "view-list-details", QStyle::SP_FileDialogDetailedView,
         [this] { ChooseThirdPaneView(kViewLinks); }},
        {kUpOneLevel, "go-up", QStyle::SP_FileDialogToParent,
         [&selection] { selection.SelectDir(QFileInfo(selection.CurrentFile()).absolutePath()); }},
        {kBack, "go-previous", QStyle::SP_ArrowBack, [this] { StepThroughTrail(true); }},
        {kForward, "go-next", QStyle::SP_ArrowForward, [this] { StepThroughTrail(false); }},
        {kLocation, nullptr, {}, [this] { historyBox_->EditLocation(); }},
        {kTrackSite, "list-add", QStyle::SP_FileDialogNewFolder, [this] { TrackWebSite(); }},
        {kManageSites, "folder", QStyle::SP_DirIcon, [this] { ManageSites(); }},
        {kViewOptions, "preferences-system", QStyle::SP_FileDialogListView,
         [this] { ViewOptions(); }},
        {kReloadSite,
         nullptr,
         {},
         [this] {
             if (EAppSite* site = CurrentSite()) {
                 LoadSite(*site);
                 WatchSites();
             }
         }},
        {kOverview, "dialog-information", QStyle::SP_MessageBoxInformation,
         [this] { ShowOverview(); }},
        {kFixAllLinks, "tools-check-spelling", QStyle::SP_DialogApplyButton,
         [this] { FixAllLinks(); }},
        {kRemoveOrphans, "edit-clear", QStyle::SP_DialogDiscardButton, [this] { RemoveOrphans(); }},
        {kStatistics, "x-office-spreadsheet", QStyle::SP_FileDialogDetailedView,
         [this] { GatherStatistics(); }},
        {kOpenFiles, "document-open", QStyle::SP_DialogOpenButton, [this] { OpenFiles(); }},
        {kEditFiles, "document-edit", QStyle::SP_FileIcon, [this] { EditFiles(); }},
        {kPrintFile, "document-print", QStyle::SP_FileIcon, {}},
        {kNewShortcut, "insert-link", QStyle::SP_FileLinkIcon, {}},
        {kDeleteFiles, "edit-delete", QStyle::SP_TrashIcon,
         [this, selected] {
             const std::vector<std::string> paths = selected();
             if (!paths.empty() && dialogs::ConfirmFileDelete(this, Q(paths)))
                 ExecuteCommand(std::make_unique<ESiteTrashCommand>(
                     paths, std::string(PathDirectory(paths.front()))));
         }},
        {kDuplicateFiles,
         nullptr,
         {},
         [this, selected] { ExecuteCommand(std::make_unique<ESiteDuplicateCommand>(selected())); }},
        {kSelectAll, nullptr, {}, [this] { fileView_->SelectAll(); }},
        {kInvertSelection, nullptr, {}, [this] { fileView_->InvertSelection(); }},
        {kRenameFile, "edit-rename", QStyle::SP_FileLinkIcon,
         [this] {
             // The pane the user works in renames: the tree its folder, the list its row.
             if (treeView_->hasFocus())
                 treeView_->BeginRename();
             else
                 fileView_->BeginRename();
         }},
        {kCut, nullptr, {}, [this, selected] { CutOrCopy(Q(selected()), false); }},
        {kCopy, nullptr, {}, [this, selected] { CutOrCopy(Q(selected()), true); }},
        {kPaste, nullptr, {}, [this] { Paste(); }},
        {kPasteShortcut,
         nullptr,
         {},
         [this, &selection] {
             QStringList paths;
             bool copy = true;
             if (ClipboardPaths(paths, copy))
                 ExecuteCommand(std::make_unique<ESiteShortcutCommand>(
                     S(paths), S(selection.CurrentFolder())));
         }},
        {kNewFolder, "folder-new", QStyle::SP_FileDialogNewFolder, [this] { NewFolder(); }},
        {kHelpTopics, "help-contents", QStyle::SP_DialogHelpButton, help("main.htm")},
        {kTutorial, nullptr, {}, help("tutorial.htm")},
        {kLegend, nullptr, {}, help("legend.htm")},
        {kShortcuts, nullptr, {}, help("shortcuts.htm")},
        {kVersionFaq, nullptr, {}, help("version.htm")},
        {kContextHelp, "help-contextual", QStyle::SP_TitleBarContextHelpButton,
         [this] { ShowHelpTopic(this, ContextPage()); }},
        {kQuickStart, nullptr, {}, [this] { RunQuickStart(false); }},
        {kAbout, "help-about", QStyle::SP_MessageBoxInformation,
         [this] {
             QMessageBox::about(
                 this, "About Tidewright",
                 Q(std::string(LoadString(142)) + " " + std::string(LoadString(130))) +
                     "\n\nA file manager that understands web sites.");
         }},
    };
}

bool CMainFrame::Bound(CommandId id) const {
    return std::any_of(bindings_.begin(), bindings_.end(), [id](const CommandBinding& binding) {
        return binding.id == id && binding.run;
    });
}

void CMainFrame::ChooseThirdPaneView(CommandId id) {
    SettingsStore::Instance().WriteBool("0PreferLinkView", id == kViewLinks);
    actions_.value(id)->setChecked(true);
    thirdPane_->RefreshView();
}

void CMainFrame::CutOrCopy(const QStringList& paths, bool copy) {
    OfferPaths(paths, copy);
    // Cut items look faded until they are pasted or the clipboard takes something else.
    fileView_->MarkCut(copy ? QStringList() : paths);
    treeView_->MarkCut(copy ? QStringList() : paths);
}

void CMainFrame::NewFolder() {
    // "New Folder" (or "New Folder(2)"...) in the current folder, then named in place.
    const std::string folder = S(SelectionCoordinator::Instance().CurrentFolder());
    const std::string path = MakeUniqueName(folder, LoadString(286), "");
    if (ExecuteCommand(std::make_unique<ENewDirCommand>(path))) {
        fileView_->SelectPaths({Q(path)});
        fileView_->setCurrentIndex(fileView_->selectionModel()->selectedRows().value(0));
        fileView_->BeginRename();
    }
}

void CMainFrame::Run(CommandId id) {
    for (const CommandBinding& binding : bindings_)
        if (binding.id == id && binding.run) binding.run();
    UpdateCommands();
}

QString CMainFrame::ContextPage() const {
    // The pane under the mouse: left of the file list the tree, right of it the third pane.
    const QPoint at = files_->mapFromGlobal(QCursor::pos());
    if (at.x() < 0) return "tree.htm";
    if (at.x() >= files_->width() && rightShown_) return "details.htm";
    return "file.htm";
}

void CMainFrame::RunQuickStart(bool atStartup) {
    const CommandId asked = ShowQuickStart(this, atStartup);
    // Its buttons close it first, then their command runs.
    if (asked != kSeparator) QTimer::singleShot(0, this, [this, asked] { Run(asked); });
}

EAppSite* CMainFrame::CurrentSite() const {
    EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(
        S(SelectionCoordinator::Instance().CurrentFile()));
    if (site) return site;
    const auto& sites = ESiteRegistry::Instance().Sites();
    return sites.size() == 1 ? sites.front().get() : nullptr;
}

void CMainFrame::TrackWebSite() {
    // The site of the current file is edited; elsewhere a site is proposed for the current
    // folder, or for a folder the user picks when there is none.
    const QString current = SelectionCoordinator::Instance().CurrentFile();
    if (EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(S(current))) {
        EditSite(site);
        return;
    }
    if (current.isEmpty())
        DefineNewSite();
    else
        ProposeNewSite(current);
}

EAppSite* CMainFrame::ProposeNewSite(const QString& path) {
    const bool folder = QFileInfo(path).isDir();
    const std::string directory =
        std::string(StripTrailingSep(S(folder ? path : QFileInfo(path).absolutePath()))) + kPathSep;
    const std::string home = folder ? DefaultPage(directory) : S(path);
    auto site = std::make_unique<EAppSite>(std::string(PathName(StripTrailingSep(directory))),
                                           directory, home, "", kServerDefaultNames);
    dialogs::GDlgDefineOneSite dialog(*site, true, this);
    const int result = dialog.exec();
    if (result == dialogs::GDlgDefineOneSite::kShowManageSites) {
        QTimer::singleShot(0, this, [this] { Run(kManageSites); });
        return nullptr;
    }
    if (result != QDialog::Accepted) return nullptr;
    return AddSite(std::move(site));
}

EAppSite* CMainFrame::AddSite(std::unique_ptr<EAppSite> site) {
    EAppSite* added = site.get();
    ESiteRegistry::Instance().AddSite(std::move(site));
    if (!LoadSite(*added)) return nullptr;
    WatchSites();
    SelectionCoordinator::Instance().SelectFile(Q(added->GetHomePage()));
    ShowStatusMessage("Tracking " + Q(added->GetName()), false);
    return added;
}

int CMainFrame::EditSite(EAppSite* site) {
    dialogs::GDlgDefineOneSite dialog(*site, false, this);
    const int result = dialog.exec();
    ESiteRegistry& registry = ESiteRegistry::Instance();
    if (result == dialogs::GDlgDefineOneSite::kRemoveSite) {
        RemoveSite(site);
    } else if (result == dialogs::GDlgDefineOneSite::kShowManageSites) {
        QTimer::singleShot(0, this, [this] { Run(kManageSites); });
    } else if (result == QDialog::Accepted) {
        registry.SaveAllSites();
        if (dialog.LoadingChanged()) {
            LoadSite(*site);
            WatchSites();
        }
        RefreshPanes();
    }
    return result;
}

void CMainFrame::RemoveSite(EAppSite* site) {
    // Only the definition goes; no file is touched.
    ESiteRegistry::Instance().RemoveSite(site);
    WatchSites();
    RefreshPanes();
}

void CMainFrame::ViewOptions() {
    // The list's layout as it stands is what the File View page starts from.
    fileView_->SaveLayout();
    dialogs::GDlgOptions::Host host;
    host.currentSwitches = [this] { return CurrentSwitches(); };
    host.applySwitches = [this](const WindowSwitches& switches) { ApplySwitches(switches); };
    dialogs::GDlgOptions dialog(host, this);
    if (dialog.exec() != QDialog::Accepted) return;
    fileView_->LoadLayout();
    fileView_->ShowFolder(fileView_->Folder());
    thirdPane_->Links()->List()->Fill(true);
    thirdPane_->RefreshView();
}

void CMainFrame::ManageSites() {
    dialogs::GDlgDefineSites::Actions actions;
    actions.propose = [this] { return DefineNewSite(); };
    actions.edit = [this](EAppSite* site) { return EditSite(site); };
    actions.remove = [this](EAppSite* site) { RemoveSite(site); };
    actions.track = [this](EAppSite* site, bool on) {
        const bool ok = site->SetTracking(on);
        WatchSites();
        RefreshPanes();
        return ok && site->IsTracking() == on;
    };
    dialogs::GDlgDefineSites dialog(actions,
                                    ESiteRegistry::Instance().FindTrackedSite(
                                        S(SelectionCoordinator::Instance().CurrentFolder())),
                                    this);
    dialog.exec();
}

EAppSite* CMainFrame::TrackSite(const QString& folder) {
    std::string directory = std::string(StripTrailingSep(S(folder))) + kPathSep;
    std::string name(PathName(StripTrailingSep(directory)));
    return AddSite(std::make_unique<EAppSite>(name, directory, DefaultPage(directory), "",
                                              kServerDefaultNames));
}

void CMainFrame::LoadSites() {
    ESiteRegistry::Instance().ReloadAllSites();
    WatchSites();
}

void CMainFrame::WatchSites() {
    treeView_->RefreshIcons();  // tracked folders are marked
    notifier_.RemoveAll();
    for (const auto& site : ESiteRegistry::Instance().Sites())
        if (site->IsTracking())
            notifier_.Install(Q(StripTrailingSep(site->GetDirectory())), site.get());
}

void CMainFrame::ShowOverview() {
    EAppSite* site = ChooseTrackedSite();
    if (!site) return;
    dialogs::GDlgWebOverview dialog(*site, this);
    dialog.exec();
}

void CMainFrame::GatherStatistics() {
    dialogs::GDlgWebStats dialog(
        SelectionCoordinator::Instance().CurrentFolder(), [this] { return DefineNewSite(); }, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.ChosenSite()) return;
    EAppSite* site = dialog.ChosenSite();
    if (!site->IsTracking() && !site->SetTracking(true)) return;
    const QString path = dialog.ReportPath()->text();
    if (GenerateReport(*site, S(path))) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CMainFrame::ShowContextMenu(const QStringList& paths, const QPoint& at) {
    UpdateCommands();
    QMenu menu(this);
    const auto add = [&](CommandId id) {
        QAction* action = actions_.value(id);
        if (action && action->isEnabled()) menu.addAction(action);
    };
    if (paths.isEmpty()) {
        // The list's background: the folder shown.
        QAction* refresh = menu.addAction("&Refresh Folder");
        connect(refresh, &QAction::triggered, this, [this] { Run(kRefresh); });
        QAction* newFolder = menu.addAction("Create &New Folder");
        connect(newFolder, &QAction::triggered, this, [this] { Run(kNewFolder); });
        QAction* paste = menu.addAction("&Paste Files");
        connect(paste, &QAction::triggered, this, [this] { Run(kPaste); });
        QAction* shortcut = menu.addAction("Paste &Shortcut to File");
        connect(shortcut, &QAction::triggered, this, [this] { Run(kPasteShortcut); });
        paste->setEnabled(actions_.value(kPaste)->isEnabled());
        shortcut->setEnabled(actions_.value(kPasteShortcut)->isEnabled());
    } else {
        const bool folder = paths.size() == 1 && QFileInfo(paths.front()).isDir();
        add(kOpenFiles);
        if (std::any_of(paths.begin(), paths.end(), IsHtmlOrImage)) add(kEditFiles);
        menu.setDefaultAction(menu.actions().value(0));
        menu.addSeparator();
        add(kCut);
        add(kCopy);
        if (folder && actions_.value(kPaste)->isEnabled()) {
            // Into the folder clicked, which need not be the one shown.
            const QString into = paths.front();
            connect(menu.addAction("&Paste"), &QAction::triggered, this,
                    [this, into] { Paste(into + "/"); });
        }
        menu.addSeparator();
        add(kNewShortcut);
        add(kDuplicateFiles);
        add(kDeleteFiles);
        add(kRenameFile);
        if (folder) {
            menu.addSeparator();
            add(kTrackSite);
        }
        add(kAttributes);
    }
    menu.addSeparator();
    menu.addAction("Ca&ncel\tEsc");
    menu.exec(at);
}

EAppSite* CMainFrame::ChooseTrackedSite() {
    if (EAppSite* site = CurrentSite(); site && site->IsTracking()) return site;
    EAppSite* site = dialogs::SelectTrackedSite(
        this, SelectionCoordinator::Instance().CurrentFolder(), [this] { return DefineNewSite(); });
    if (site && !site->IsTracking() && !site->SetTracking(true)) return nullptr;
    return site;
}

EAppSite* CMainFrame::DefineNewSite() {
    const QString folder = BrowseFolderFrom(this, SelectionCoordinator::Instance().CurrentFolder());
    return folder.isEmpty() ? nullptr : ProposeNewSite(folder);
}

void CMainFrame::FixAllLinks() {
    EAppSite* site = ChooseTrackedSite();
    if (!site) return;
    dialogs::GDlgFixAll dialog(*site, Runner(), this);
    dialog.exec();
    RefreshPanes();
}

void CMainFrame::RemoveOrphans() {
    EAppSite* site = ChooseTrackedSite();
    if (!site) return;
    // Fixing links first may bring orphans back into the site.
    if (SettingsStore::Instance().ReadBool("1WarnFixLinksFirst") && !site->brokenLinks.empty()) {
        const int answer = dialogs::ConfirmRemoveOrphansNow(this);
        if (answer == dialogs::kWarnOther)
            QTimer::singleShot(0, this, [this] { Run(kFixAllLinks); });
        if (answer != dialogs::kWarnOk) return;
    }
    dialogs::GDlgOrphans dialog(*site, Runner(), this);
    dialog.exec();
}

void CMainFrame::RepairLink(const QString& page, int urlIndex) {
    const std::vector<EUrl>& urls = thirdPane_->Links()->List()->Urls();
    if (urlIndex < 0 || static_cast<std::size_t>(urlIndex) >= urls.size()) return;
    QWidget* focus = QApplication::focusWidget();
    dialogs::GDlgFixLink dialog(page, urls[static_cast<std::size_t>(urlIndex)], Runner(), this);
    // "Edit Full File...": the page in the HTML editor, as Edit Files would open it.
    connect(&dialog, &dialogs::GDlgFixLink::EditRequested, this, &CMainFrame::EditFile);
    dialog.exec();
    if (focus) focus->setFocus();
}

void CMainFrame::EditFiles() {
    for (const QString& path : SelectionCoordinator::Instance().Selection()) EditFile(path);
}

void CMainFrame::EditFile(const QString& path) {
    const bool picture = IsImageFile(S(path));
    if (!picture && !IsHtmlFile(S(path))) return;
    SettingsStore& settings = SettingsStore::Instance();
    const char* key = picture ? "GraphicsEditor" : "HtmlEditor";
    // The first edit of its kind asks which editor; Cancel skips the file.
    if (settings.ReadString(SettingsStore::kSection, key, "").empty()) {
        dialogs::GDlgEditor chooser(!picture, this);
        if (chooser.exec() != QDialog::Accepted) return;
    }
    ExecuteCommand(std::make_unique<ELaunchAppCommand>(
        S(path), settings.ReadString(SettingsStore::kSection, key, "")));
}

void CMainFrame::OpenFiles() {
    for (const QString& path : SelectionCoordinator::Instance().Selection())
        if (!QFileInfo(path).isDir()) OpenPath(path);
}

void CMainFrame::OpenPath(const QString& path) {
    ExecuteCommand(std::make_unique<ELaunchAppCommand>(S(path)));
}

dialogs::CommandRunner CMainFrame::Runner() {
    return [this](std::unique_ptr<ECommand> command) { return ExecuteCommand(std::move(command)); };
}

// ---- selection, activation, changes on disk ----

void CMainFrame::OnSelectionChanged(QObject* source) {
    const SelectionCoordinator& selection = SelectionCoordinator::Instance();
    if (source != treeView_) treeView_->SelectFolder(selection.CurrentFolder());
    // At the computer level the file pane lists the drives.
    const bool computer = selection.CurrentFolder().isEmpty();
    if (computer && fileStack_->currentWidget() != computerView_) computerView_->Fill();
    fileStack_->setCurrentWidget(computer ? static_cast<QWidget*>(computerView_) : fileView_);
    fileStack_->setFocusProxy(fileStack_->currentWidget());
    if (source != fileView_ && !computer) {
        if (fileView_->Folder() + "/" != selection.CurrentFolder() &&
            fileView_->Folder() != selection.CurrentFolder())
            fileView_->ShowFolder(selection.CurrentFolder());
        fileView_->SelectPaths(selection.FolderOnly() ? QStringList() : selection.Selection());
    }
    ShowPageCounts();
    StartCounts();
    historyBox_->Remember(selection.CurrentFolder());
    if (!stepping_) trail_.Visit(selection.CurrentFolder().toStdString());
    thirdPane_->Update(selection.CurrentFile(), selection.Selection(), selection.IsFolder());
    UpdateCommands();
}

void CMainFrame::StepThroughTrail(bool back) {
    // Folders removed since are passed over.
    for (;;) {
        const std::string folder = back ? trail_.Back() : trail_.Forward();
        if (folder.empty()) break;
        if (!QFileInfo(Q(folder)).isDir()) {
            trail_.Forget(folder);
            continue;
        }
        stepping_ = true;
        SelectionCoordinator::Instance().SelectDir(Q(folder));
        stepping_ = false;
        break;
    }
    UpdateCommands();
}

void CMainFrame::OnSitesChanged(const QList<void*>& sites) {
    // While the user works here, the commands keep the sites up to date themselves.
    if (active_) return;
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.SetChanged(true);
    for (void* site : sites) registry.AddChangedSite(static_cast<EAppSite*>(site));
}

void CMainFrame::SetApplicationActive(bool active) {
    if (active == active_) return;
    active_ = active;
    ESiteRegistry& registry = ESiteRegistry::Instance();
    if (!active) {
        registry.SetChanged(false);
        return;
    }
    if (!registry.IsChanged()) return;
    if (isMinimized()) showNormal();
    registry.CheckReload();
    WatchSites();
    emit ReloadChecked();
    OnSelectionChanged();
}

}  // namespace tw::app
