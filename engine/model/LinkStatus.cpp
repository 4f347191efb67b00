#include "engine/model/LinkStatus.h"

#include "engine/model/Url.h"

namespace tw {

LinkStatus ClassifyLink(const EUrl& url, bool siteTracked, bool brokenFragment) {
    if (url.IsExternal()) return LinkStatus::External;
    if (!siteTracked || url.IsUntracked()) return LinkStatus::Untracked;
    if (url.IsIgnored()) return LinkStatus::Ignored;
    if (!url.target) return LinkStatus::Broken;
    if (url.IsCaseMismatch()) return LinkStatus::CaseMismatch;
    return brokenFragment ? LinkStatus::BrokenFragment : LinkStatus::Good;
}

const LinkStatusInfo& InfoOf(LinkStatus status) {
    // 294 "External link", 290 "Untracked local link", 364 "Broken link (ignored)",
    // 291 "Broken link", 293 "Good link". A case mismatch or a missing place leads to a file:
    // the window shows it good, the command line says which.
    static const LinkStatusInfo kTable[] = {
        {"external", 294, LinkIcon::External, 5}, {"untracked", 290, LinkIcon::Untracked, 3},
        {"ignored", 364, LinkIcon::Ignored, 1},   {"broken", 291, LinkIcon::Broken, 0},
        {"case", 293, LinkIcon::Good, 4},         {"fragment", 293, LinkIcon::Good, 4},
        {"good", 293, LinkIcon::Good, 4},
    };
    return kTable[static_cast<int>(status)];
}

bool LinkStatusNamed(std::string_view name, LinkStatus& status) {
    for (int i = 0; i < kLinkStatusCount; ++i) {
        if (InfoOf(static_cast<LinkStatus>(i)).name != name) continue;
        status = static_cast<LinkStatus>(i);
        return true;
    }
    return false;
}

}  // namespace tw
