#include "core/settings/SettingsStore.h"

#include <climits>

#include "core/platform/ProgramFolders.h"
#include "core/settings/Profile.h"

namespace tw {
namespace {

const char* const kRectEntries[4] = {"X1", "Y1", "X2", "Y2"};

std::string Composed(std::string_view key, int n, char suffix) {
    std::string s(key);
    s += std::to_string(n);
    s += suffix;
    return s;
}

WindowSwitches MakeSwitches(std::initializer_list<int> barsOn, bool titles, bool right) {
    WindowSwitches w;
    for (int i : barsOn) w.bars[static_cast<std::size_t>(i)] = true;
    w.showTitles = titles;
    w.showRight = right;
    return w;
}

}  // namespace

SortIndex SortIndex::Decode(int value) {
    SortIndex s;
    s.ascending = value >= 0;
    long long v = value < 0 ? -static_cast<long long>(value) : value;
    s.column = static_cast<int>(v > 0 ? v - 1 : 0);
    return s;
}

int SortIndex::Encode() const {
    return ascending ? column + 1 : ~column;
}

const std::array<WindowPreset, 3>& WindowPresets() {
    static const std::array<WindowPreset, 3> presets = {{
        {"Basic file manager", MakeSwitches({0, 4, 5}, true, false)},
        {"Basic web manager", MakeSwitches({0, 4, 5}, true, true)},
        {"Expert web manager", MakeSwitches({0, 1, 2, 3, 4, 5, 6, 7, 8}, false, true)},
    }};
    return presets;
}

bool DefaultBoolOfKey(std::string_view key) {
    return !key.empty() && key.front() == '1';
}

int DefaultIntOfKey(std::string_view key) {
    long long value = 0;
    for (char c : key) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return static_cast<int>(value);
}

int ParseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

SettingsStore& SettingsStore::Instance() {
    static SettingsStore store;
    return store;
}

SettingsStore::SettingsStore(std::string profilePath) : path_(std::move(profilePath)) {}

std::string SettingsStore::File() const {
    return path_.empty() ? ProfileFilePath() : path_;
}

const std::string& SettingsStore::ProfilePath() const {
    return path_;
}

bool SettingsStore::ReadBool(std::string_view key) const {
    std::string text = ReadString(kSection, key, {});
    if (text.empty()) return DefaultBoolOfKey(key);
    return ParseProfileInt(text) != 0;
}

void SettingsStore::WriteBool(std::string_view key, bool value) const {
    WriteString(kSection, key, value ? "1" : "0");
}

int SettingsStore::ReadInt(std::string_view key) const {
    std::string text = ReadString(kSection, key, {});
    if (text.empty()) return DefaultIntOfKey(key);
    return ParseProfileInt(text);
}

int SettingsStore::ReadNonNegativeInt(std::string_view key) const {
    int v = ReadInt(key);
    return v <= 0 ? 0 : v;
}

void SettingsStore::WriteInt(std::string_view key, int value) const {
    WriteString(kSection, key, std::to_string(value));
}

std::string SettingsStore::ReadString(std::string_view section, std::string_view entry,
                                      std::string_view defaultValue) const {
    return profile::ReadString(File(), section, entry, defaultValue);
}

void SettingsStore::WriteString(std::string_view section, std::string_view entry,
                                std::optional<std::string_view> value) const {
    profile::WriteString(File(), section, entry, value);  // write failures are ignored
}

Rect SettingsStore::ReadRect(std::string_view key) const {
    int v[4];
    for (int i = 0; i < 4; ++i) {
        std::string text = ReadString(key, kRectEntries[i], {});
        v[i] = text.empty() ? 0 : ParseProfileInt(text);
    }
    return Rect{v[0], v[1], v[2], v[3]};
}

void SettingsStore::WriteRect(std::string_view key, const Rect& rect) const {
    const int v[4] = {rect.left, rect.top, rect.right, rect.bottom};
    for (int i = 0; i < 4; ++i) WriteString(key, kRectEntries[i], std::to_string(v[i]));
}

std::optional<Rect> SettingsStore::RestoredRect(std::string_view key, const Rect& current) const {
    Rect r = ReadRect(key);
    if (r.IsEmpty()) return std::nullopt;
    if (r.Width() < current.Width()) r.right = r.left + current.Width();
    if (r.Height() < current.Height()) r.bottom = r.top + current.Height();
    return r;
}

std::vector<ColumnLayout> SettingsStore::LoadColumnLayout(std::string_view key) const {
    std::vector<ColumnLayout> columns;
    for (int n = 0; n <= 9; ++n) {
        int width = ReadInt(Composed(key, n, 'w'));
        if (width > 0) columns.push_back({n, ReadInt(Composed(key, n, 'i')), width});
    }
    return columns;
}

void SettingsStore::SaveColumnLayout(std::string_view key, const std::vector<ColumnLayout>& columns,
                                     bool writeWidths) const {
    for (const ColumnLayout& c : columns) {
        WriteInt(Composed(key, c.id, 'i'), c.order);
        if (writeWidths) WriteInt(Composed(key, c.id, 'w'), c.width);
    }
    for (int n = static_cast<int>(columns.size()); n <= 9; ++n)
        WriteString(kSection, Composed(key, n, 'w'), std::nullopt);
}

SortIndex SettingsStore::ReadSortIndex(std::string_view key) const {
    return SortIndex::Decode(ReadInt(key));
}

void SettingsStore::WriteSortIndex(std::string_view key, SortIndex index) const {
    WriteInt(key, index.Encode());
}

std::vector<std::string> SettingsStore::LoadStringList(std::string_view key) const {
    std::vector<std::string> items;
    for (int n = 0;; ++n) {
        std::string item = ReadString(key, std::to_string(n), {});
        if (item.empty()) break;
        items.push_back(std::move(item));
    }
    return items;
}

void SettingsStore::SaveStringList(std::string_view key,
                                   const std::vector<std::string>& items) const {
    int n = 0;
    for (const std::string& item : items) WriteString(key, std::to_string(n++), item);
    for (;; ++n) {
        std::string entry = std::to_string(n);
        if (ReadString(key, entry, {}).empty()) break;
        WriteString(key, entry, std::nullopt);
    }
}

WindowSwitches SettingsStore::ReadWindowSwitches() const {
    WindowSwitches w;
    for (std::size_t i = 0; i < w.bars.size(); ++i)
        w.bars[i] = ReadBool(WindowSwitches::kBarKeys[i]);
    w.showTitles = ReadBool("1ShowTitles");
    w.showRight = ReadBool("1ShowRight");
    return w;
}

void SettingsStore::WriteWindowSwitches(const WindowSwitches& w) const {
    for (std::size_t i = 0; i < w.bars.size(); ++i)
        WriteBool(WindowSwitches::kBarKeys[i], w.bars[i]);
    WriteBool("1ShowTitles", w.showTitles);
    WriteBool("1ShowRight", w.showRight);
}

}  // namespace tw
