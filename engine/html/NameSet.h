#pragma once
// A fixed set of short names (of tags, of attributes) asked about for every attribute of every
// tag. Names are grouped by their first byte and, within a group, their lengths compared before
// any bytes: most names asked about are not in the set and cost one or two comparisons.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tw {

template <std::size_t N>
class NameSet {
  public:
    // Every name must be non-empty.
    constexpr explicit NameSet(const std::array<std::string_view, N>& names) : names_(names) {
        std::sort(names_.begin(), names_.end());
        std::size_t k = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            first_[b] = static_cast<std::uint16_t>(k);
            while (k < N && static_cast<unsigned char>(names_[k][0]) == b) ++k;
        }
        first_[256] = static_cast<std::uint16_t>(N);
    }

    constexpr bool Has(std::string_view name) const {
        if (name.empty()) return false;
        const auto b = static_cast<unsigned char>(name[0]);
        for (std::size_t i = first_[b]; i < first_[b + 1]; ++i)
            if (names_[i].size() == name.size() && Same(names_[i], name)) return true;
        return false;
    }

  private:
    // Byte by byte: the names are a few bytes long, shorter than a library call's set-up.
    static constexpr bool Same(std::string_view a, std::string_view b) {
        for (std::size_t i = 1; i < a.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }

    std::array<std::string_view, N> names_;
    std::array<std::uint16_t, 257> first_{};
};

// The names of several lists as one array, to make one set of them.
template <std::size_t... Ns>
constexpr auto JoinNames(const std::array<std::string_view, Ns>&... lists) {
    std::array<std::string_view, (Ns + ...)> all{};
    std::size_t k = 0;
    ((std::copy(lists.begin(), lists.end(), all.begin() + k), k += Ns), ...);
    return all;
}

}  // namespace tw
