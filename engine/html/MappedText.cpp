#include "engine/html/MappedText.h"

#include <algorithm>

namespace tw {

MappedText MappedText::Of(std::string_view bytes, std::uint32_t offset) {
    MappedText m;
    m.AddRun(offset, 0, false);
    m.text.assign(bytes);
    return m;
}

std::size_t MappedText::RunAt(std::size_t i) const {
    auto after = std::upper_bound(runs_.begin(), runs_.end(), i,
                                  [](std::size_t v, const Run& r) { return v < r.at; });
    return static_cast<std::size_t>(after - runs_.begin()) - 1;
}

void MappedText::AddRun(std::uint32_t begin, std::uint32_t end, bool decoded) {
    const auto at = static_cast<std::uint32_t>(text.size());
    if (!runs_.empty()) {
        const Run& last = runs_.back();
        if (last.at == at) {  // nothing was appended under the last run
            runs_.pop_back();
        } else if (!decoded && !last.decoded && last.begin + (at - last.at) == begin) {
            return;  // the copied stretch goes on
        } else if (decoded && last.decoded && last.begin == begin && last.end == end) {
            return;  // more bytes of the same reference
        }
    }
    runs_.push_back({at, begin, end, decoded});
}

void MappedText::Append(const MappedText& other, std::size_t i) {
    Append(other, i, i + 1);
}

void MappedText::Append(const MappedText& other, std::size_t from, std::size_t to) {
    to = std::min(to, other.size());
    if (from >= to) return;
    for (std::size_t k = other.RunAt(from), i = from; i < to; ++k) {
        const Run& r = other.runs_[k];
        const std::size_t runEnd =
            k + 1 < other.runs_.size() ? other.runs_[k + 1].at : other.size();
        const std::size_t stop = std::min(runEnd, to);
        if (r.decoded)
            AddRun(r.begin, r.end, true);
        else
            AddRun(r.begin + static_cast<std::uint32_t>(i - r.at), 0, false);
        text.append(other.text, i, stop - i);
        i = stop;
    }
}

void MappedText::AppendDecoded(std::string_view bytes, std::uint32_t fileBegin,
                               std::uint32_t fileEnd) {
    if (bytes.empty()) return;
    // One byte for one file byte is a copy, whatever produced it.
    if (bytes.size() == 1 && fileEnd == fileBegin + 1)
        AddRun(fileBegin, 0, false);
    else
        AddRun(fileBegin, fileEnd, true);
    text += bytes;
}

std::uint32_t MappedText::Begin(std::size_t i) const {
    const Run& r = runs_[RunAt(i)];
    return r.decoded ? r.begin : r.begin + static_cast<std::uint32_t>(i - r.at);
}

std::uint32_t MappedText::End(std::size_t i) const {
    const Run& r = runs_[RunAt(i)];
    return r.decoded ? r.end : r.begin + static_cast<std::uint32_t>(i - r.at) + 1;
}

std::uint32_t SourceText::Begin(std::size_t i) const {
    if (!map) return start + static_cast<std::uint32_t>(i);
    if (i < text.size()) return map->Begin(at + i);
    return text.empty() ? (at < map->size() ? map->Begin(at) : 0) : map->End(at + i - 1);
}

std::uint32_t SourceText::EndAfter(std::size_t n) const {
    if (n == 0) return Begin(0);
    return map ? map->End(at + n - 1) : start + static_cast<std::uint32_t>(n);
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
