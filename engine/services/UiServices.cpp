#include "engine/services/UiServices.h"

#include <utility>

#include "core/strings/Strings.h"

namespace tw {
namespace {

std::unique_ptr<EUiServices>& Current() {
    static std::unique_ptr<EUiServices> services;
    return services;
}

int passCount = 0;
int currentPass = 0;

}  // namespace

EUiServices& EUiServices::Instance() {
    if (!Current()) Current() = std::make_unique<EUiServices>();
    return *Current();
}

bool EUiServices::AskReverseAfterCancel() {
    constexpr int kAbortQuestion = 31057;
    return AskYesNo(LoadString(kAbortQuestion));
}

std::unique_ptr<EUiServices> EUiServices::Install(std::unique_ptr<EUiServices> services) {
    return std::exchange(Current(), std::move(services));
}

std::unique_ptr<GUIProgress> EUiServices::CreateProgress(ProgressKind) {
    return std::make_unique<GUIProgress>();
}

void ProgressPasses::Announce(int count) {
    passCount = count;
    currentPass = 0;
}

int ProgressPasses::Count() {
    return passCount;
}
int ProgressPasses::Current() {
    return currentPass;
}

std::string ProgressPasses::Caption(std::string_view title) {
    std::string caption(title);
    if (passCount > 0) caption += FormatPrintf(" (Pass %d of %d)", currentPass, passCount);
    return caption;
}

ProgressPasses::Scope::Scope() {
    ++currentPass;
}

ProgressPasses::Scope::~Scope() {
    if (currentPass == passCount) passCount = currentPass = 0;
}

}  // namespace tw
