#include "engine/html/Fragments.h"

#include <algorithm>

#include "engine/html/Scanner.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"

namespace tw {

void EFragmentCheck::OnPageParsed(EHtmlNode& page) {
    auto& ids = ids_[&page];
    ids = std::move(page.AnchorIds());
    page.AnchorIds().clear();
    if (auto it = waiting_.find(&page); it != waiting_.end()) {
        for (const Waiting& w : it->second) Check(*w.page, w.ref, ids);
        waiting_.erase(it);
    }
    for (const FragmentRef& ref : page.FragmentRefs()) {
        // Only pages have places; a fragment of an image or a PDF is the viewer's business.
        auto* target = dynamic_cast<EHtmlNode*>(ref.target);
        if (!target || !target->IsHtml()) continue;
        if (auto known = ids_.find(target); known != ids_.end())
            Check(page, ref, known->second);
        else
            waiting_[target].push_back({&page, ref});
    }
    std::vector<FragmentRef>().swap(page.FragmentRefs());
}

void EFragmentCheck::Check(EHtmlNode& page, const FragmentRef& ref,
                           const std::vector<std::uint32_t>& ids) {
    if (!std::binary_search(ids.begin(), ids.end(), ref.hash)) sink_(page, ref);
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
