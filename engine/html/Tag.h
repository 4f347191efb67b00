#pragma once
// One tag of a page as the tag reader produces it: offsets into the file, never copies of the
// text between tags.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

struct ETagAttr {
    std::uint32_t valueOffset = 0;  // first byte of the value (after a quote); the name's
                                    // offset for an attribute without a value
    std::string value;              // as written, quotes removed
};

struct ETag {
    std::string name;  // lower case; "<!--" and "-->" for comment and script delimiters
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // offset of the closing '>'
    bool isEnd = false;
    // Lower-case name -> attribute, in the order first written; a repeated name replaces the
    // earlier value. Tags have few attributes, so a vector beats a map here.
    std::vector<std::pair<std::string, ETagAttr>> attributes;

    const ETagAttr* Find(std::string_view attrName) const {
        for (const auto& [n, a] : attributes)
            if (n == attrName) return &a;
        return nullptr;
    }
    void Set(std::string attrName, ETagAttr attr) {
        for (auto& [n, a] : attributes) {
            if (n == attrName) {
                a = std::move(attr);
                return;
            }
        }
        attributes.emplace_back(std::move(attrName), std::move(attr));
    }
    void Erase(std::string_view attrName) {
        std::erase_if(attributes, [&](const auto& p) { return p.first == attrName; });
    }
};

}  // namespace tw
