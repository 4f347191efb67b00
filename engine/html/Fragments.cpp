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

const EFragmentCheck::Ids* EFragmentCheck::Find(const ENode* page) const {
    if (table_.empty()) return nullptr;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = SlotOf(page, table_.size()); table_[i].page; i = (i + 1) & mask)
        if (table_[i].page == page) return &table_[i];
    return nullptr;
}

const EFragmentCheck::Ids& EFragmentCheck::Keep(const ENode* page,
                                                const std::vector<std::uint32_t>& ids) {
    if ((pages_ + 1) * 10 >= table_.size() * 7) {
        std::vector<Ids> old(table_.empty() ? 1024 : table_.size() * 2);
        old.swap(table_);
        for (const Ids& e : old) {
            if (!e.page) continue;
            std::size_t i = SlotOf(e.page, table_.size());
            while (table_[i].page) i = (i + 1) & (table_.size() - 1);
            table_[i] = e;
        }
    }
    std::size_t i = SlotOf(page, table_.size());
    while (table_[i].page && table_[i].page != page) i = (i + 1) & (table_.size() - 1);
    if (!table_[i].page) ++pages_;
    std::uint32_t* run = ids_.Append(ids.size() + 1);
    run[0] = static_cast<std::uint32_t>(ids.size());
    std::copy(ids.begin(), ids.end(), run + 1);
    table_[i] = {page, run};
    return table_[i];
}

void EFragmentCheck::OnPageParsed(EHtmlNode& page) {
    // Only pages have places; a fragment of an image, a stylesheet or a PDF is the viewer's
    // business. Only pages are kept, so a target found here is a page without reading its
    // node again.
    const bool isPage = page.IsHtml();
    const Ids* ids = isPage ? &Keep(&page, page.AnchorIds()) : nullptr;
    std::vector<std::uint32_t>().swap(page.AnchorIds());
    if (auto it = waiting_.find(&page); ids && it != waiting_.end()) {
        for (const Waiting& w : it->second) Check(*w.page, w.ref, *ids);
        waiting_.erase(it);
    }
    for (const FragmentRef& ref : page.FragmentRefs()) {
        if (const Ids* known = Find(ref.target)) {
            Check(page, ref, *known);
        } else if (auto* target = dynamic_cast<EHtmlNode*>(ref.target);
                   target && target->IsHtml()) {
            waiting_[target].push_back({&page, ref});
        }
    }
    std::vector<FragmentRef>().swap(page.FragmentRefs());
}

void EFragmentCheck::Check(EHtmlNode& page, const FragmentRef& ref, const Ids& ids) const {
    const std::uint32_t* first = ids.run + 1;
    if (!std::binary_search(first, first + ids.run[0], ref.hash)) sink_(page, ref);
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
