#pragma once
// The status of a link, decided in one place: every front end (the command line's `links`
// and `check`, the report, the window's links list) classifies a URL record here and takes
// its name, its message and its icon from one table.

#include <string_view>

namespace tw {

struct EUrl;

enum class LinkStatus {
    External,        // another server's
    Untracked,       // local, in a folder or site no tracked site covers
    Ignored,         // broken, and on the site's ignore list
    Broken,          // local, leading to no file
    CaseMismatch,    // leads to a file only when letter case is ignored
    BrokenFragment,  // leads to a page whose "#part" names no place in it
    Good,
};

// The icons a status is shown with (the window's status column and filters).
enum class LinkIcon { Untracked, Good, External, Broken, Ignored };

struct LinkStatusInfo {
    std::string_view name;  // the command line's and the JSON's: "broken", "case", ...
    int messageId;          // the string table's text for people: "Broken link", ...
    LinkIcon icon;
    int sortClass;  // the links list's status order: broken first, external last
};

constexpr int kLinkStatusCount = 7;
// The status named `name` on the command line; false when none is.
bool LinkStatusNamed(std::string_view name, LinkStatus& status);

// `siteTracked`: whether the page's site is tracked (a page outside tracked sites has only
// untracked local links); `brokenFragment`: whether a check found its "#part" nowhere.
LinkStatus ClassifyLink(const EUrl& url, bool siteTracked, bool brokenFragment = false);
const LinkStatusInfo& InfoOf(LinkStatus status);

}  // namespace tw
