#include "engine/commands/RewritePass.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <set>
#include <thread>

#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/Strings.h"
#include "engine/model/Changes.h"
#include "engine/model/Node.h"
#include "engine/model/Site.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kUpdatingLinks = 31056;

// The pages that are symbolic links to the file of another page of the list: that file is
// rewritten once, as itself (through the link its relative links would be rewritten for
// another folder).
std::set<EHtmlNode*> AliasesAmong(const std::vector<EHtmlNode*>& pages) {
    std::set<EHtmlNode*> aliases;
    std::vector<std::pair<EHtmlNode*, std::string>> links;  // link page, its real file
    for (EHtmlNode* page : pages)
        if (IsSymbolicLink(page->GetPath())) links.emplace_back(page, RealPath(page->GetPath()));
    if (links.empty()) return aliases;
    std::set<std::string> files;
    for (EHtmlNode* page : pages)
        if (!IsSymbolicLink(page->GetPath())) files.insert(RealPath(page->GetPath()));
    for (const auto& [page, real] : links)
        if (files.count(real)) aliases.insert(page);
    return aliases;
}

}  // namespace

namespace {

// A page read and spliced ahead of its staging.
struct Prepared {
    bool read = false;
    int error = 0;
    std::string content;
    std::vector<Splice> splices;
};

// Reads and splices pages [first, first + count) on every core: parsing is most of a pass's
// work, and each page's depends on no other's.
std::vector<Prepared> Prepare(const std::vector<EHtmlNode*>& pages, std::size_t first,
                              std::size_t count, const std::set<EHtmlNode*>& aliases,
                              const PageSplicer& splicer) {
    std::vector<Prepared> prepared(count);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < count; k = next++) {
            EHtmlNode* page = pages[first + k];
            if (aliases.count(page)) continue;
            Prepared& p = prepared[k];
            p.read = ReadWholeFile(page->GetPath(), p.content);
            if (!p.read) {
                p.error = errno;
                continue;
            }
            p.splices = splicer(*page, first + k, p.content);
            if (p.splices.empty()) std::string().swap(p.content);
        }
    };
    const std::size_t helpers =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency())) - 1;
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    return prepared;
}

}  // namespace

RewriteOutcome RewritePages(EAppSite& site, const std::vector<EHtmlNode*>& pages,
                            const PageSplicer& splicer, const SplicedPage& spliced) {
    RewriteOutcome out;
    EPageWriter writer;
    writer.SetSiteFolder(site.GetDirectory());
    auto progress = EUiServices::Instance().CreateProgress(
        pages.size() >= 4 ? ProgressKind::Dialog : ProgressKind::Silent);
    // One step per page read and one per page replaced.
    progress->Begin(LoadString(kUpdatingLinks), static_cast<int>(2 * pages.size()), nullptr);
    const std::set<EHtmlNode*> aliases = AliasesAmong(pages);
    std::vector<EHtmlNode*> staged;  // the page of each change, in order
    // Pages are read a batch at a time, so that a cancel is heard soon and memory stays small.
    constexpr std::size_t kBatch = 64;
    for (std::size_t first = 0; first < pages.size() && !out.cancelled && !writer.WriteFailed();
         first += kBatch) {
        const std::size_t count = std::min(kBatch, pages.size() - first);
        std::vector<Prepared> prepared = Prepare(pages, first, count, aliases, splicer);
        for (std::size_t k = 0; k < count && !out.cancelled; ++k) {
            EHtmlNode* page = pages[first + k];
            progress->SetFolder(page->GetDirectory(), &out.cancelled);
            if (out.cancelled) break;
            progress->Step(page->GetPath(), 1);
            if (aliases.count(page)) continue;
            Prepared& p = prepared[k];
            if (!p.read) {
                // Its links may lead to what changed: the user must hear it was not looked at.
                out.problems.push_back(page->GetPath() + ": could not be read (" +
                                       std::strerror(p.error) + "); its links were not rewritten");
                continue;
            }
            if (p.splices.empty()) continue;
            if (spliced) spliced(*page, p.content, p.splices);
            std::string why;
            std::optional<PageChange> change =
                StageChange(writer, page->GetPath(), p.content, p.splices, &why);
            std::string().swap(p.content);
            if (writer.WriteFailed()) break;
            if (!change) {
                out.problems.push_back(why);
                out.notRewritten.push_back(page);
                continue;
            }
            out.changes.push_back(std::move(*change));
            staged.push_back(page);
        }
    }
    out.writeFailed = writer.WriteFailed();
    // A cancel or a failed write leaves every page as it was; otherwise all are replaced
    // together (the writer's destructor removes what was staged and not committed).
    std::vector<std::string> notReplaced;
    if (out.Finished()) {
        notReplaced = writer.Commit([&](const std::string& page) { progress->Step(page, 1); });
        out.writeFailed = writer.WriteFailed();  // then none was replaced
    }
    progress->End();
    if (!out.Finished()) {
        out.changes.clear();
        out.notRewritten.clear();
        return out;
    }
    const std::vector<bool> kept = SettleCommitted(out.changes, notReplaced);
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (kept[i]) {
            out.rewritten.push_back(staged[i]);
            EChanges::Instance().PageLinksChanged(staged[i]->GetPath());
            continue;
        }
        out.problems.push_back(staged[i]->GetPath() + ": could not be replaced");
        out.notRewritten.push_back(staged[i]);
    }
    return out;
}

std::vector<PagePreview> PreviewPages(const std::vector<EHtmlNode*>& pages,
                                      const PageSplicer& splicer) {
    std::vector<PagePreview> previews;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        PagePreview preview{pages[i], i, {}, {}, 0};
        if (!ReadWholeFile(pages[i]->GetPath(), preview.oldContent)) continue;
        const std::vector<Splice> splices = splicer(*pages[i], i, preview.oldContent);
        if (splices.empty()) continue;
        preview.links = static_cast<int>(splices.size());
        preview.newContent = Spliced(preview.oldContent, splices);
        previews.push_back(std::move(preview));
    }
    return previews;
}

}  // namespace tw
