#include "engine/report/Findings.h"

#include <algorithm>

namespace tw {

void CheckResult::Sort() {
    auto byPlace = [](const LinkFinding& a, const LinkFinding& b) {
        if (a.page != b.page) return a.page < b.page;
        if (a.line != b.line) return a.line < b.line;
        return a.offset < b.offset;
    };
    for (auto* list : {&broken, &untracked, &ignored, &caseMismatches})
        std::stable_sort(list->begin(), list->end(), byPlace);
    std::stable_sort(brokenFragments.begin(), brokenFragments.end(),
                     [](const FragmentLinkFinding& a, const FragmentLinkFinding& b) {
                         if (a.page != b.page) return a.page < b.page;
                         if (a.line != b.line) return a.line < b.line;
                         return a.offset < b.offset;
                     });
    std::stable_sort(syntaxErrors.begin(), syntaxErrors.end(), [](const auto& a, const auto& b) {
        return a.page != b.page ? a.page < b.page : a.line < b.line;
    });
    std::sort(orphans.begin(), orphans.end());
    std::stable_sort(fileErrors.begin(), fileErrors.end(),
                     [](const FileError& a, const FileError& b) { return a.path < b.path; });
}

}  // namespace tw
