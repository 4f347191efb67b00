#include "engine/maintenance/LinksTree.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"

namespace tw {
namespace {

constexpr int kBroken = 348, kFixed = 349, kIgnore = 363, kFiltered = 337, kSeparator = 350,
              kNewGroup = 352, kCounts = 353, kOpenFailed = 30016, kWriteFailed = 30018;

std::string NameOf(GLinksTree::Kind kind) {
    switch (kind) {
        case GLinksTree::Kind::Broken:
            return std::string(LoadString(kBroken));
        case GLinksTree::Kind::Fixed:
            return std::string(LoadString(kFixed));
        case GLinksTree::Kind::Ignore:
            return std::string(LoadString(kIgnore));
        case GLinksTree::Kind::Filtered:
            return std::string(LoadString(kFiltered));
        case GLinksTree::Kind::User:
            break;
    }
    return {};
}

// The links of a map, each once, with the sum of its pages' occurrences (keys compare without
// regard to case, so one spelling stands for all).
std::map<std::string, int, NoCaseLess> Summed(const ELinkMap& map) {
    std::map<std::string, int, NoCaseLess> links;
    for (const auto& [path, entry] : map) links[path] += entry.count;
    return links;
}

bool SortedBefore(const GLinksTree::Link& a, const GLinksTree::Link& b) {
    return CompareNoCase(a.path, b.path) < 0;
}

}  // namespace

void GLinksTree::Fill(EAppSite& site) {
    FillFrom(site, LinksFilePath(site));
}

void GLinksTree::FillFrom(EAppSite& site, const std::string& linksFile) {
    groups_.clear();
    for (Kind kind : {Kind::Broken, Kind::Fixed, Kind::Ignore})
        groups_.push_back({kind, NameOf(kind), {}});
    auto broken = Summed(site.brokenLinks);
    auto ignored = Summed(site.ignoredLinks);
    std::size_t current = std::string::npos;
    const std::string folder(StripTrailingSep(site.GetDirectory()));
    ReadLinksFile(linksFile, [&](bool header, const std::string& text) {
        if (header) {
            current = std::string::npos;
            if (text.starts_with(NameOf(Kind::Fixed))) {
                current = Find(Kind::Fixed);
            } else if (!text.starts_with(NameOf(Kind::Broken)) &&
                       !text.starts_with(NameOf(Kind::Ignore)) &&
                       !text.starts_with(NameOf(Kind::Filtered))) {
                std::string name = text.substr(0, text.find(" ("));
                current = Find(name);
                if (current == std::string::npos || groups_[current].kind != Kind::User)
                    current = NewGroup(name);
            }
            return;
        }
        if (current == std::string::npos) return;
        const LinksFileEntry entry = ParseLinksFileEntry(text);
        if (entry.link.empty()) return;
        // A link into a folder that is gone or not tracked is dropped.
        std::string named = folder + entry.link;
        if (kPathSep != '/') std::replace(named.begin(), named.end(), '/', kPathSep);
        if (!site.IsPathTracked(named)) return;
        auto* from = broken.count(entry.link)    ? &broken
                     : ignored.count(entry.link) ? &ignored
                                                 : nullptr;
        if (!from) {  // no longer broken: it was fixed
            groups_[Find(Kind::Fixed)].links.push_back({entry.link, entry.count});
            return;
        }
        auto it = from->find(entry.link);
        std::size_t group = groups_[current].kind == Kind::Fixed ? Find(Kind::Broken) : current;
        groups_[group].links.push_back({it->first, it->second});
        from->erase(it);
    });
    for (const auto& [path, count] : broken)
        groups_[Find(Kind::Broken)].links.push_back({path, count});
    for (const auto& [path, count] : ignored)
        groups_[Find(Kind::Ignore)].links.push_back({path, count});
    for (const auto& [path, count] : Summed(site.untrackedLinks))
        groups_[Ensure(Kind::Filtered)].links.push_back({path, count});
}

std::string GLinksTree::Label(const Group& group) {
    int total = 0;
    for (const Link& link : group.links) total += link.count;
    return group.name + FormatPrintf(std::string(LoadString(kCounts)).c_str(),
                                     static_cast<int>(group.links.size()), total);
}

std::string GLinksTree::Text() const {
    std::string out;
    bool any = false;
    for (const Group& group : groups_) any = any || !group.links.empty();
    if (!any) return out;
    const std::string separator(LoadString(kSeparator));
    for (const Group& group : groups_) {
        out += separator + Label(group) + separator;
        for (const Link& link : group.links)
            out += link.path + " (" + std::to_string(link.count) + " instances)\n";
        out += "\n\n";
    }
    return out;
}

bool GLinksTree::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        ELog::Instance().LogErrorFile(kOpenFailed, path);
        return false;
    }
    out << Text();
    out.close();
    if (!out) {
        ELog::Instance().LogErrorFile(kWriteFailed, path);
        return false;
    }
    return true;
}

bool GLinksTree::CanMove(std::size_t from, std::size_t to) const {
    if (from >= groups_.size() || to >= groups_.size() || from == to) return false;
    auto fixedOrFiltered = [&](std::size_t g) {
        return groups_[g].kind == Kind::Fixed || groups_[g].kind == Kind::Filtered;
    };
    return !fixedOrFiltered(from) && !fixedOrFiltered(to);
}

bool GLinksTree::Move(EAppSite& site, std::size_t from, const std::vector<std::string>& links,
                      std::size_t to) {
    if (!CanMove(from, to)) return false;
    std::vector<Link>& source = groups_[from].links;
    for (const std::string& path : links) {
        auto it = std::find_if(source.begin(), source.end(),
                               [&](const Link& l) { return EqualsNoCase(l.path, path); });
        if (it == source.end()) continue;
        if (groups_[to].kind == Kind::Ignore) site.IgnoreBrokenLink(it->path);
        if (groups_[from].kind == Kind::Ignore) site.UnignoreBrokenLink(it->path);
        groups_[to].links.push_back(*it);
        source.erase(it);
    }
    return true;
}

bool GLinksTree::MarkFixed(std::size_t group, const std::string& link) {
    if (group >= groups_.size()) return false;
    std::vector<Link>& source = groups_[group].links;
    auto it = std::find_if(source.begin(), source.end(),
                           [&](const Link& l) { return EqualsNoCase(l.path, link); });
    if (it == source.end()) return false;
    Link fixed = *it;
    source.erase(it);
    std::vector<Link>& target = groups_[Ensure(Kind::Fixed)].links;
    target.insert(std::upper_bound(target.begin(), target.end(), fixed, SortedBefore),
                  std::move(fixed));
    return true;
}

std::size_t GLinksTree::NewGroup(std::string name) {
    if (name.empty()) name = LoadString(kNewGroup);
    auto at = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) {
        return g.kind != Kind::Filtered && CompareNoCase(name, g.name) < 0;
    });
    return static_cast<std::size_t>(groups_.insert(at, Group{Kind::User, std::move(name), {}}) -
                                    groups_.begin());
}

bool GLinksTree::RenameGroup(std::size_t group, const std::string& name) {
    if (group >= groups_.size() || groups_[group].kind != Kind::User) return false;
    // A label typed with its counts keeps only the name.
    groups_[group].name = name.substr(0, name.find(" ("));
    return true;
}

bool GLinksTree::RemoveGroup(std::size_t group) {
    if (group >= groups_.size() || groups_[group].kind != Kind::User) return false;
    std::vector<Link> links = std::move(groups_[group].links);
    groups_.erase(groups_.begin() + static_cast<std::ptrdiff_t>(group));
    std::vector<Link>& broken = groups_[Find(Kind::Broken)].links;
    for (Link& link : links)
        broken.insert(std::upper_bound(broken.begin(), broken.end(), link, SortedBefore),
                      std::move(link));
    return true;
}

std::size_t GLinksTree::Find(Kind kind) const {
    for (std::size_t i = 0; i < groups_.size(); ++i)
        if (groups_[i].kind == kind) return i;
    return std::string::npos;
}

std::size_t GLinksTree::Find(const std::string& name) const {
    for (std::size_t i = 0; i < groups_.size(); ++i)
        if (groups_[i].name == name) return i;
    return std::string::npos;
}

std::size_t GLinksTree::Ensure(Kind kind) {
    std::size_t at = Find(kind);
    if (at != std::string::npos) return at;
    groups_.push_back({kind, NameOf(kind), {}});
    return groups_.size() - 1;
}

}  // namespace tw
