#include "core/settings/UserExtensibleList.h"

#include <algorithm>
#include <optional>

#include "core/platform/ProgramFolders.h"
#include "core/settings/Profile.h"
#include "core/strings/Strings.h"

namespace tw {
namespace {

std::string ItemKey(int n) {
    return "Item" + std::to_string(n);
}

constexpr std::size_t kMaxFileValue = 255;

}  // namespace

std::string_view GUserExtensibleList::DefineEntry() {
    return LoadString(30000);
}

GUserExtensibleList::GUserExtensibleList(std::vector<std::string> defaults, std::string name,
                                         bool sorted)
    : defaults_(std::move(defaults)), name_(std::move(name)), sorted_(sorted) {
    items_ = defaults_;
    Finish(defaults_);
    Finish(items_);
}

void GUserExtensibleList::Finish(std::vector<std::string>& list) const {
    if (sorted_) std::sort(list.begin(), list.end());
    list.emplace_back(DefineEntry());
}

std::vector<std::string> GUserExtensibleList::RealItems() const {
    std::vector<std::string> real(items_);
    if (!real.empty()) real.pop_back();
    return real;
}

void GUserExtensibleList::SetSorted(bool sorted) {
    sorted_ = sorted;
    if (!sorted_) return;
    for (auto* list : {&defaults_, &items_}) {
        if (!list->empty()) std::sort(list->begin(), list->end() - 1);
    }
}

void GUserExtensibleList::SetDefaults(std::vector<std::string> defaults) {
    defaults_ = std::move(defaults);
    items_ = defaults_;
    Finish(defaults_);
    Finish(items_);
}

void GUserExtensibleList::UseDefaults() {
    items_ = defaults_;
    if (items_.empty()) items_.emplace_back(DefineEntry());
    FillControl();
}

void GUserExtensibleList::SetFromText(std::string_view text, char separator) {
    if (text.empty()) {
        UseDefaults();
        return;
    }
    items_.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) items_.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    items_.emplace_back(DefineEntry());
}

void GUserExtensibleList::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    Finish(items_);
}

std::string GUserExtensibleList::GetAsText(char separator) const {
    std::string text;
    for (const std::string& item : RealItems()) {
        text += item;
        text += separator;
    }
    return text;
}

void GUserExtensibleList::Load(const std::string& fileName) {
    items_.clear();
    const std::string file = fileName.empty() ? ProfileFilePath() : fileName;
    auto read = [&](const std::string& entry) {
        std::string v = profile::ReadString(file, name_, entry, {});
        if (!fileName.empty() && v.size() > kMaxFileValue) v.resize(kMaxFileValue);
        return v;
    };
    current_ = read("Current");
    for (int n = 1;; ++n) {
        std::string item = read(ItemKey(n));
        if (item.empty()) break;
        items_.push_back(std::move(item));
    }
    if (items_.empty() && fileName.empty()) {
        UseDefaults();
        return;
    }
    Finish(items_);
    FillControl();
}

void GUserExtensibleList::Save(const std::string& fileName) const {
    const std::string file = fileName.empty() ? ProfileFilePath() : fileName;
    // The whole list in one write: one replacement of the file, not one per entry.
    std::vector<std::pair<std::string, std::optional<std::string>>> entries;
    entries.emplace_back("Current", current_);
    int n = 1;
    for (const std::string& item : RealItems()) entries.emplace_back(ItemKey(n++), item);
    for (;; ++n) {
        if (profile::ReadString(file, name_, ItemKey(n), {}).empty()) break;
        entries.emplace_back(ItemKey(n), std::nullopt);
    }
    profile::WriteStrings(file, name_, entries);
}

std::string ReadJoined(std::string_view section, char separator) {
    const std::string file = ProfileFilePath();
    std::string text;
    for (int n = 1;; ++n) {
        std::string item = profile::ReadString(file, section, ItemKey(n), {});
        if (item.empty()) break;
        text += item;
        text += separator;
    }
    return text;
}

}  // namespace tw
