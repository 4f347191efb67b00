#pragma once
// A list of strings the user can extend, with a remembered current entry, stored in a profile
// section named after the list ("Current", "Item1", "Item2", ...). Both the defaults and the
// items always end with the entry "Define...", which is never stored and never part of the
// text form.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

class GUserExtensibleList {
  public:
    GUserExtensibleList() = default;
    GUserExtensibleList(std::vector<std::string> defaults, std::string name, bool sorted);
    virtual ~GUserExtensibleList() = default;

    virtual void SetSorted(bool sorted);
    // Refills the window that shows the list; the list alone has none.
    virtual void FillControl() {}

    void SetDefaults(std::vector<std::string> defaults);
    void UseDefaults();
    void SetFromText(std::string_view text, char separator);
    // The entries as the user left them (empty ones too); "Define..." is added.
    void SetItems(std::vector<std::string> items);
    std::string GetAsText(char separator) const;
    const std::string& GetCurrent() const { return current_; }
    void SetCurrent(std::string text) { current_ = std::move(text); }

    // Empty file name: the application profile (falls back to the defaults when nothing is
    // stored); otherwise that profile file, with no fall-back.
    void Load(const std::string& fileName = {});
    void Save(const std::string& fileName = {}) const;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    bool IsSorted() const { return sorted_; }
    // Every entry, "Define..." last.
    const std::vector<std::string>& Items() const { return items_; }
    const std::vector<std::string>& Defaults() const { return defaults_; }
    // The real entries, without "Define...".
    std::vector<std::string> RealItems() const;

    static std::string_view DefineEntry();

  private:
    void Finish(std::vector<std::string>& list) const;  // sorts when asked, appends "Define..."

    std::vector<std::string> defaults_;
    std::vector<std::string> items_;
    std::string current_;
    std::string name_;
    bool sorted_ = false;
};

// The values of "Item1", "Item2", ... of an application-profile section up to the first empty
// one, each followed by the separator.
std::string ReadJoined(std::string_view section, char separator);

}  // namespace tw
