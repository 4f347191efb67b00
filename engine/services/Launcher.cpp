#include "engine/services/Launcher.h"

#include <memory>

#include "core/platform/FileUtils.h"
#include "core/platform/Shell.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/services/UiServices.h"

namespace tw {

std::unique_ptr<EAppLauncherImp> EUiServices::CreateLauncher() {
    return std::make_unique<EAppLauncherXdg>();
}

LaunchResult EAppLauncherXdg::OpenDocument(std::string_view path) {
    std::string target = ResolveShortcut(path);
    return LaunchDetached({"xdg-open", target}) ? LaunchResult::Done : LaunchResult::Failed;
}

LaunchResult EAppLauncherXdg::OpenWith(std::string_view document, std::string_view program) {
    if (program.empty()) return LaunchResult::NoProgram;
    std::string executable = ResolveShortcut(program);
    // A desktop entry names its program on its Exec line.
    if (AsciiLower(PathExtension(executable)) == "desktop") {
        std::string text;
        ReadWholeFile(executable, text);
        executable = DesktopExecProgram(text);
    }
    if (executable.empty() || !IsProgramFile(executable)) {
        std::string found = FindInPath(executable);
        if (found.empty() || !IsProgramFile(found)) return LaunchResult::NoProgram;
        executable = found;
    }
    return LaunchDetached({executable, ResolveShortcut(document)}) ? LaunchResult::Done
                                                                   : LaunchResult::Failed;
}

LaunchResult EAppLauncherXdg::RunProgram(std::string_view path) {
    std::string program = ResolveShortcut(path);
    if (LaunchDetached({program})) return LaunchResult::Done;
    // A bare name is looked for along PATH.
    std::string found = FindInPath(PathName(program));
    return !found.empty() && LaunchDetached({found}) ? LaunchResult::Done : LaunchResult::Failed;
}

}  // namespace tw
