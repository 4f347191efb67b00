#include "engine/html/MappedText.h"

namespace tw {

MappedText MappedText::Of(std::string_view bytes, std::uint32_t offset) {
    MappedText m;
    m.text.assign(bytes);
    m.begin.resize(bytes.size());
    m.end.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        m.begin[i] = offset + static_cast<std::uint32_t>(i);
        m.end[i] = m.begin[i] + 1;
    }
    return m;
}

void MappedText::Append(const MappedText& other, std::size_t i) {
    text += other.text[i];
    begin.push_back(other.begin[i]);
    end.push_back(other.end[i]);
}

void MappedText::Append(const MappedText& other, std::size_t from, std::size_t to) {
    auto f = static_cast<std::ptrdiff_t>(from), t = static_cast<std::ptrdiff_t>(to);
    text.append(other.text, from, to - from);
    begin.insert(begin.end(), other.begin.begin() + f, other.begin.begin() + t);
    end.insert(end.end(), other.end.begin() + f, other.end.begin() + t);
}

void MappedText::AppendDecoded(std::string_view bytes, std::uint32_t fileBegin,
                               std::uint32_t fileEnd) {
    text += bytes;
    begin.insert(begin.end(), bytes.size(), fileBegin);
    end.insert(end.end(), bytes.size(), fileEnd);
}

std::uint32_t SourceText::Begin(std::size_t i) const {
    if (!map) return start + static_cast<std::uint32_t>(i);
    if (i < text.size()) return map->begin[at + i];
    return text.empty() ? (at < map->begin.size() ? map->begin[at] : 0) : map->end[at + i - 1];
}

std::uint32_t SourceText::EndAfter(std::size_t n) const {
    if (n == 0) return Begin(0);
    return map ? map->end[at + n - 1] : start + static_cast<std::uint32_t>(n);
}

SourceText SourceText::Sub(std::size_t from, std::size_t to) const {
    SourceText s = *this;
    s.text = text.substr(from, to - from);
    if (map)
        s.at = at + from;
    else
        s.start = start + static_cast<std::uint32_t>(from);
    return s;
}

}  // namespace tw
