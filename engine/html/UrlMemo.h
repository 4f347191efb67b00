#pragma once
// What the path part of each URL of one page was found to be (text, form, target), so that a
// path written many times on a page (navigation, the entries of an index) is worked out once.
// Keys and texts live in one growing buffer and the table holds plain entries: remembering a
// path costs no allocation of its own, so pages whose paths never repeat lose next to nothing.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/Url.h"

namespace tw {

class UrlMemo {
  public:
    // Copies the record remembered for the path into `url` (text, flags, target); false when
    // there is none.
    bool Find(std::string_view path, EUrl& url) const {
        if (slots_.empty()) return false;
        const std::size_t hash = std::hash<std::string_view>{}(path);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask; slots_[i].used; i = (i + 1) & mask) {
            const Slot& s = slots_[i];
            if (s.hash != hash || Text(s.keyAt, s.keyLength) != path) continue;
            url.text.assign(Text(s.textAt, s.textLength));
            url.flags = s.flags;
            url.target = s.target;
            return true;
        }
        return false;
    }

    void Add(std::string_view path, const EUrl& url) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        Slot s{std::hash<std::string_view>{}(path),
               Append(path),
               Length(path),
               Append(url.text),
               Length(url.text),
               url.flags,
               true,
               url.target};
        Place(s);
        ++count_;
    }

    void Clear() {
        slots_.clear();
        text_.clear();
        count_ = 0;
    }

  private:
    struct Slot {
        std::size_t hash = 0;
        std::uint32_t keyAt = 0, keyLength = 0;
        std::uint32_t textAt = 0, textLength = 0;
        std::uint16_t flags = 0;
        bool used = false;
        ENode* target = nullptr;
    };

    std::string_view Text(std::uint32_t at, std::uint32_t length) const {
        return std::string_view(text_).substr(at, length);
    }
    std::uint32_t Append(std::string_view text) {
        const auto at = static_cast<std::uint32_t>(text_.size());
        text_.append(text);
        return at;
    }
    static std::uint32_t Length(std::string_view text) {
        return static_cast<std::uint32_t>(text.size());
    }
    void Place(const Slot& s) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = s.hash & mask;
        while (slots_[i].used) i = (i + 1) & mask;
        slots_[i] = s;
    }
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.used) Place(s);
    }

    std::vector<Slot> slots_;
    std::string text_;
    std::size_t count_ = 0;
};

}  // namespace tw
