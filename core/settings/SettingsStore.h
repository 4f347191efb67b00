#pragma once
// The process-wide store of user preferences in the application profile.
//
// Keys carry their own defaults: an optional run of leading digits gives the default of an
// integer key ("25FolderHistoryLength" defaults to 25) and the first character the default
// of a boolean key ("1ShowTitles" defaults to true). The whole key, digits included, is the
// entry name in the file. Nothing is buffered: every read goes to the profile and every write
// is immediate.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool operator==(const Rect&) const = default;
};

// One list-view column: its stable id (0..9), its display position and its width.
struct ColumnLayout {
    int id = 0;
    int order = 0;
    int width = 0;
    bool operator==(const ColumnLayout&) const = default;
};

// A sort order packed in one integer: ascending on column c is c + 1, descending is ~c.
struct SortIndex {
    int column = 0;
    bool ascending = true;
    static SortIndex Decode(int value);
    int Encode() const;
    bool operator==(const SortIndex&) const = default;
};

// The nine bar switches and the two pane switches that the window presets set together.
struct WindowSwitches {
    static constexpr std::array<const char*, 9> kBarKeys = {
        "1MainStatusBar", "1FolderStatusBar", "1FileStatusBar", "1LinkStatusBar", "1WebToolbar",
        "1ViewToolbar",   "1FolderToolbar",   "1FileToolbar",   "1LinkToolbar"};
    std::array<bool, 9> bars{};
    bool showTitles = true;
    bool showRight = true;
    bool operator==(const WindowSwitches&) const = default;
};

struct WindowPreset {
    const char* name;
    WindowSwitches switches;
};

// "Basic file manager", "Basic web manager", "Expert web manager".
const std::array<WindowPreset, 3>& WindowPresets();

// Defaults carried by a key: the first character for booleans, leading digits for integers.
bool DefaultBoolOfKey(std::string_view key);
int DefaultIntOfKey(std::string_view key);

// Parses a stored integer the way profile readers do: optional sign and leading digits,
// anything else reads as 0.
int ParseProfileInt(std::string_view text);

class SettingsStore {
  public:
    static constexpr const char* kSection = "Settings";

    static SettingsStore& Instance();

    // A store over another profile file (tests, the debug profile).
    explicit SettingsStore(std::string profilePath = {});

    const std::string& ProfilePath() const;

    bool ReadBool(std::string_view key) const;
    void WriteBool(std::string_view key, bool value) const;
    int ReadInt(std::string_view key) const;
    int ReadNonNegativeInt(std::string_view key) const;
    void WriteInt(std::string_view key, int value) const;
    std::string ReadString(std::string_view section, std::string_view entry,
                           std::string_view defaultValue = {}) const;
    void WriteString(std::string_view section, std::string_view entry,
                     std::optional<std::string_view> value) const;

    Rect ReadRect(std::string_view key) const;
    void WriteRect(std::string_view key, const Rect& rect) const;
    // The rectangle a window restored under `key` takes, given its current one: nullopt when
    // nothing usable is stored; never smaller than the current size (left and top kept).
    std::optional<Rect> RestoredRect(std::string_view key, const Rect& current) const;

    // Columns whose stored width is above 0, by id; empty when nothing is stored.
    std::vector<ColumnLayout> LoadColumnLayout(std::string_view key) const;
    void SaveColumnLayout(std::string_view key, const std::vector<ColumnLayout>& columns,
                          bool writeWidths) const;

    SortIndex ReadSortIndex(std::string_view key) const;
    void WriteSortIndex(std::string_view key, SortIndex index) const;

    std::vector<std::string> LoadStringList(std::string_view key) const;
    void SaveStringList(std::string_view key, const std::vector<std::string>& items) const;

    WindowSwitches ReadWindowSwitches() const;
    // Writes all eleven values; the windows show or hide their bars before calling it.
    void WriteWindowSwitches(const WindowSwitches& switches) const;

  private:
    // Empty means "the application profile at the moment of the call", so that tests which
    // change TIDEWRIGHT_HOME see their own file.
    std::string path_;
    std::string File() const;
};

}  // namespace tw
