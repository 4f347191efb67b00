#include "engine/html/Fragments.h"

#include <algorithm>

#include "engine/html/Scanner.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"

namespace tw {

namespace {

std::size_t SlotOf(const ENode* page, std::size_t size) {
    auto v = reinterpret_cast<std::uintptr_t>(page);
    return static_cast<std::size_t>((v >> 4) * 0x9E3779B97F4A7C15ull) & (size - 1);
}

}  // namespace

const EFragmentCheck::Entry* EFragmentCheck::Find(const ENode* page) const {
    if (table_.empty()) return nullptr;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = SlotOf(page, table_.size()); table_[i].page; i = (i + 1) & mask)
        if (table_[i].page == page) return &table_[i];
    return nullptr;
}

EFragmentCheck::Entry& EFragmentCheck::Enter(const ENode* page) {
    if ((pages_ + 1) * 10 >= table_.size() * 7) {
        std::vector<Entry> old(table_.empty() ? 1024 : table_.size() * 2);
        old.swap(table_);
        for (const Entry& e : old) {
            if (!e.page) continue;
            std::size_t i = SlotOf(e.page, table_.size());
            while (table_[i].page) i = (i + 1) & (table_.size() - 1);
            table_[i] = e;
        }
    }
    std::size_t i = SlotOf(page, table_.size());
    while (table_[i].page && table_[i].page != page) i = (i + 1) & (table_.size() - 1);
    if (!table_[i].page) {
        table_[i] = {page, 2 * std::uintptr_t{kNone} + 1};  // waited for by nothing yet
        ++pages_;
    }
    return table_[i];
}

const std::uint32_t* EFragmentCheck::KeepIds(const std::vector<std::uint32_t>& ids) {
    std::uint32_t* run = ids_.Append(ids.size() + 1);
    run[0] = static_cast<std::uint32_t>(ids.size());
    std::copy(ids.begin(), ids.end(), run + 1);
    return run;
}

void EFragmentCheck::Wait(Entry& entry, EHtmlNode& page, const FragmentRef& ref) {
    Waiting w{&page, ref.hash, ref.start, ref.end, entry.Newest()};
    std::uint32_t at = free_;
    if (at == kNone) {
        at = static_cast<std::uint32_t>(waiting_.size());
        waiting_.push_back(w);
    } else {
        free_ = waiting_[at].older;
        waiting_[at] = w;
    }
    entry.word = 2 * std::uintptr_t{at} + 1;
}

void EFragmentCheck::CheckWaiting(std::uint32_t newest, const ENode* target,
                                  const std::uint32_t* ids) {
    chain_.clear();
    for (std::uint32_t at = newest; at != kNone; at = waiting_[at].older) chain_.push_back(at);
    for (auto it = chain_.rbegin(); it != chain_.rend(); ++it) {
        const Waiting& w = waiting_[*it];
        Check(*w.page, FragmentRef{const_cast<ENode*>(target), w.hash, w.start, w.end}, ids);
    }
    for (std::uint32_t at : chain_) {
        waiting_[at].older = free_;
        free_ = at;
    }
}

void EFragmentCheck::OnPageParsed(EHtmlNode& page) {
    // Only pages have places; a fragment of an image, a stylesheet or a PDF is the viewer's
    // business. Only pages are entered, so a target found here is a page without reading its
    // node again.
    if (page.IsHtml()) {
        Entry& entry = Enter(&page);
        const std::uint32_t waited = entry.Newest();
        entry.word = reinterpret_cast<std::uintptr_t>(KeepIds(page.AnchorIds()));
        CheckWaiting(waited, &page, entry.Ids());
    }
    std::vector<std::uint32_t>().swap(page.AnchorIds());
    for (const FragmentRef& ref : page.FragmentRefs()) {
        const Entry* known = Find(ref.target);
        if (known && known->Ids()) {
            Check(page, ref, known->Ids());
        } else if (auto* target = dynamic_cast<EHtmlNode*>(ref.target);
                   target && target->IsHtml()) {
            Wait(Enter(target), page, ref);
        }
    }
    std::vector<FragmentRef>().swap(page.FragmentRefs());
}

void EFragmentCheck::Check(EHtmlNode& page, const FragmentRef& ref,
                           const std::uint32_t* ids) const {
    if (!std::binary_search(ids + 1, ids + 1 + ids[0], ref.hash)) sink_(page, ref);
}

FragmentFinding DescribeFragment(EHtmlNode& page, const FragmentRef& ref) {
    FragmentFinding f;
    f.line = page.LineFromOffset(ref.start);
    EScannerFile file(page.GetPath());
    if (file.IsOpen()) file.Extract(f.url, ref.start, ref.end);
    std::size_t hash = f.url.find('#');
    if (hash != std::string::npos) f.fragment = DecodeUrl(std::string_view(f.url).substr(hash + 1));
    return f;
}

}  // namespace tw
