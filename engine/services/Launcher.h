#pragma once
// Opening documents and starting programs. The engine asks through this interface (reached
// with EUiServices::CreateLauncher); the desktop's MIME database and xdg-open answer on Linux,
// and a test installs a fake that records what would have been started.

#include <string>
#include <string_view>

namespace tw {

enum class LaunchResult : int {
    Done = 0,
    Failed = 1,
    NoProgram = 2,  // nothing to open the document with
    OutOfMemory = 3,
};

class EAppLauncherImp {
  public:
    virtual ~EAppLauncherImp() = default;
    virtual LaunchResult Open(std::string_view path) { return OpenDocument(path); }
    // Opens the document with the given program; no program: NoProgram.
    virtual LaunchResult OpenWith(std::string_view document, std::string_view program) = 0;
    // Opens the document with the program the desktop associates with its type.
    virtual LaunchResult OpenDocument(std::string_view path) = 0;
    virtual LaunchResult RunProgram(std::string_view path) = 0;
};

// The freedesktop implementation: xdg-open for documents, the program itself (or the Exec
// program of a .desktop file) for "open with". Shortcuts are resolved first; no shell is
// involved, so a path is one argument whatever it holds.
class EAppLauncherXdg : public EAppLauncherImp {
  public:
    LaunchResult OpenWith(std::string_view document, std::string_view program) override;
    LaunchResult OpenDocument(std::string_view path) override;
    LaunchResult RunProgram(std::string_view path) override;
};

}  // namespace tw
