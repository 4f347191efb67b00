#pragma once
// The main window's commands: their numbers, menus, texts and keys, and the rule that says
// when each is enabled. Plain C++ (no Qt), so that the rules can be tested as a table.

#include <string_view>
#include <vector>

namespace tw::app {

enum CommandId : int {
    kSeparator = 0,
    kOpenFiles = 57601,
    kEditFiles = 32786,
    kPrintFile = 57607,
    kFindFiles = 32923,
    kNewFolder = 32768,
    kNewShortcut = 32769,
    kDeleteFiles = 32770,
    kRenameFile = 32771,
    kAttributes = 32772,
    kDuplicateFiles = 32784,
    kExit = 57665,
    kUndo = 32780,
    kRedo = 32781,
    kCut = 32773,
    kCopy = 32774,
    kPaste = 32775,
    kPasteShortcut = 32776,
    kSelectAll = 32782,
    kInvertSelection = 32783,
    kShowTitles = 32832,
    kShowRight = 32834,
    kRefresh = 32841,
    kViewOptions = 32836,
    kTrackSite = 32800,
    kManageSites = 32811,
    kReloadSite = 32837,
    kFixAllLinks = 32801,
    kRemoveOrphans = 32802,
    kOverview = 32812,
    kStatistics = 32803,
    kHelpTopics = 57666,
    kContextHelp = 57669,
    kQuickStart = 32916,
    kTutorial = 32912,
    kLegend = 32915,
    kShortcuts = 32913,
    kVersionFaq = 32914,
    kAbout = 57664,
    kUpOneLevel = 32778,
    kBack = 32940,
    kForward = 32941,
    kLocation = 32942,
    kViewDetails = 32820,
    kViewLinks = 32821,
    kWindowConfigurations = 32835,
};

// One menu item: its menu ("&File"...), its text as the menu shows it ("&Open Files\tCtrl+O":
// the part after the tab is its key) and further keys, Linux conventions included.
struct MenuCommand {
    std::string_view menu;
    std::string_view text;
    CommandId id;
    std::vector<std::string_view> moreKeys;
};

// Every menu, in order, with separators (id kSeparator).
const std::vector<MenuCommand>& MenuCommands();
const MenuCommand* FindCommand(CommandId id);

// What the enabling rules look at: the selection coordinator's current folder, file and
// selection, the history, the clipboard and the sites.
struct CommandState {
    bool hasFolder = false;          // a current folder is set
    bool folderIsDriveRoot = false;  // ... and it is the root of a mounted file system
    bool hasFile = false;            // a current file (or folder) is set
    bool single = false;             // a single file or folder is current
    bool fileIsDriveRoot = false;    // ... and it is the root of a mounted file system
    bool anyNonFolder = false;       // the selection holds a path that is not a folder
    bool anyEditable = false;        // the selection holds an image or an HTML file
    bool canUndo = false, canRedo = false;
    bool clipboardHasFiles = false;
    bool inSite = false;                           // the current path lies in a defined site
    bool canGoBack = false, canGoForward = false;  // the folder trail
};

bool CommandEnabled(CommandId id, const CommandState& state);

}  // namespace tw::app
