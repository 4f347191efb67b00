#include "app/CommandTable.h"

namespace tw::app {

const std::vector<MenuCommand>& MenuCommands() {
    static const std::vector<MenuCommand> commands = {
        {"&File", "&Open Files\tCtrl+O", kOpenFiles, {}},
        {"&File", "&Edit Files\tCtrl+E", kEditFiles, {}},
        {"&File", "&Print File\tCtrl+P", kPrintFile, {}},
        {"&File", "&Find Files\tF3", kFindFiles, {"Ctrl+F"}},
        {"&File", "", kSeparator, {}},
        {"&File", "Create &New Folder\tCtrl+N", kNewFolder, {}},
        {"&File", "Create New &Shortcut", kNewShortcut, {}},
        {"&File", "&Delete Files\tDel", kDeleteFiles, {}},
        {"&File", "&Rename File\tCtrl+R", kRenameFile, {"F2"}},
        {"&File", "Change File &Attributes...", kAttributes, {}},
        {"&File", "D&uplicate Files", kDuplicateFiles, {}},
        {"&File", "", kSeparator, {}},
        {"&File", "E&xit Tidewright\tCtrl+Q", kExit, {"Alt+F4"}},
        {"&Edit", "&Undo\tCtrl+Z", kUndo, {"Alt+Backspace"}},
        {"&Edit", "&Redo\tCtrl+Y", kRedo, {"Ctrl+Shift+Z"}},
        {"&Edit", "", kSeparator, {}},
        {"&Edit", "Cu&t\tCtrl+X", kCut, {"Shift+Del"}},
        {"&Edit", "&Copy\tCtrl+C", kCopy, {"Ctrl+Ins"}},
        {"&Edit", "&Paste\tCtrl+V", kPaste, {"Shift+Ins"}},
        {"&Edit", "Paste &Shortcut", kPasteShortcut, {}},
        {"&Edit", "", kSeparator, {}},
        {"&Edit", "Select &All Files\tCtrl+A", kSelectAll, {}},
        {"&Edit", "&Invert Selection", kInvertSelection, {}},
        {"&View", "&Back\tAlt+Left", kBack, {}},
        {"&View", "&Forward\tAlt+Right", kForward, {}},
        {"&View", "&Up One Level\tAlt+Up", kUpOneLevel, {}},
        {"&View", "Go to &Location...\tCtrl+L", kLocation, {}},
        {"&View", "", kSeparator, {}},
        {"&View", "Show &Titles", kShowTitles, {}},
        {"&View", "Show &Details/Links View (3rd pane)", kShowRight, {}},
        {"&View", "", kSeparator, {}},
        {"&View", "&Refresh File Display\tF5", kRefresh, {}},
        {"&View", "&View Options...", kViewOptions, {"Ctrl+T"}},
        {"&Site", "&Track Web Site...", kTrackSite, {}},
        {"&Site", "&Manage Tracked Sites...", kManageSites, {}},
        {"&Site", "Re&load Currently Tracked Site\tShift+F5", kReloadSite, {}},
        {"&Site", "", kSeparator, {}},
        {"&Site", "&Fix All Broken Links...", kFixAllLinks, {}},
        {"&Site", "&Remove All Orphans...", kRemoveOrphans, {}},
        {"&Site", "Show Site &Overview...", kOverview, {}},
        {"&Site", "Gather Site &Statistics...", kStatistics, {}},
        {"&Help", "&Help Topics\tF1", kHelpTopics, {}},
        {"&Help", "Context &Sensitive Help\tShift+F1", kContextHelp, {}},
        {"&Help", "&Quick Start Guide", kQuickStart, {}},
        {"&Help", "&Tutorial", kTutorial, {}},
        {"&Help", "&Icon and Font Usage Legend", kLegend, {}},
        {"&Help", "&Command Shortcuts List", kShortcuts, {}},
        {"&Help", "&Version Number FAQ", kVersionFaq, {}},
        {"&Help", "", kSeparator, {}},
        {"&Help", "&About Tidewright...", kAbout, {}},
    };
    return commands;
}

const MenuCommand* FindCommand(CommandId id) {
    for (const MenuCommand& command : MenuCommands())
        if (command.id == id) return &command;
    return nullptr;
}

bool CommandEnabled(CommandId id, const CommandState& s) {
    // "As New Folder": a current folder that is not the root of a file system.
    const bool asNewFolder = s.hasFolder && !s.folderIsDriveRoot;
    const bool singleNotRoot = s.single && !s.fileIsDriveRoot;
    switch (id) {
        case kOpenFiles:
            return s.anyNonFolder;
        case kEditFiles:
            return s.anyEditable;
        case kPrintFile:
            return s.hasFile;
        case kNewShortcut:
        case kRenameFile:
            return singleNotRoot;
        case kAttributes:
            return s.single;
        case kNewFolder:
        case kDeleteFiles:
        case kDuplicateFiles:
        case kCut:
        case kCopy:
        case kPasteShortcut:
            return asNewFolder;
        case kUndo:
            return s.canUndo;
        case kRedo:
            return s.canRedo;
        case kBack:
            return s.canGoBack;
        case kForward:
            return s.canGoForward;
        case kPaste:
            return s.clipboardHasFiles;
        case kReloadSite:
            return s.inSite;
        default:
            return true;  // the rest are always enabled
    }
}

}  // namespace tw::app
