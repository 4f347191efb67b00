#include "engine/model/Node.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/html/Scanner.h"
#include "engine/html/TagReader.h"
#include "engine/model/Iterators.h"
#include "engine/model/Site.h"
#include "engine/model/Visitor.h"

namespace tw {

// ---- ENode ----

namespace {
std::atomic<std::uint64_t> generation{0};
}

std::uint64_t ENode::Generation() {
    return generation.load(std::memory_order_relaxed);
}

ENode::~ENode() {
    generation.fetch_add(1, std::memory_order_relaxed);
}

ENode::ENode(std::string_view path, const FileProbe* probe) : path_(StripTrailingSep(path)) {
    generation.fetch_add(1, std::memory_order_relaxed);
    if (probe) {
        exists_ = probe->exists;
        attributes_ = probe->attributes;
    } else {
        attributes_ = FileAttributes(path_, &exists_);
    }
}

std::unique_ptr<IIterator<ENode*>> ENode::CreateChildIterator() {
    return nullptr;
}

std::string ENode::GetName() const {
    return std::string(PathName(path_));
}

std::string ENode::GetDirectory() const {
    return std::string(PathDirectory(path_));
}

bool ENode::GetAttributeText(std::string& out) const {
    out = IsSystem() ? "system" : IsHidden() ? "hidden" : "";
    return !out.empty();
}

bool ENode::SetWritable(bool writable) {
    if (!tw::SetWritable(path_, writable)) return false;
    if (writable)
        attributes_ &= ~kAttrReadOnly;
    else
        attributes_ |= kAttrReadOnly;
    return true;
}

std::int64_t ENode::GetFileSize() const {
    return FileSize(path_);
}

void ENode::RecomputePath() {
    std::string name = GetName();
    if (parent_) {
        path_ = JoinPath(parent_->GetPath(), name);
        return;
    }
    std::string dir = GetDirectory();
    bool absolute = !path_.empty() && path_.front() == kPathSep;
    path_ = dir.empty() && !absolute ? name : dir + kPathSep + name;
}

bool ENode::Rename(std::string_view newName) {
    std::string target = GetDirectory() + kPathSep + std::string(newName);
    if (!PathExists(path_) && !IsSymbolicLink(path_)) return false;
    if (!RenamePath(path_, target)) return false;
    path_ = std::move(target);
    return true;
}

std::string ENode::RebuildPath() const {
    std::vector<const ENode*> chain;
    for (const ENode* n = this; n; n = n->parent_) chain.push_back(n);
    std::string path = chain.back()->GetDirectory();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += kPathSep;
        path += (*it)->GetName();
    }
    return path;
}

void ENode::LogError(int messageId) const {
    ELog::Instance().LogErrorFile(messageId, path_);
}

// ---- EDirNode ----

EDirNode::EDirNode(std::string_view path, const FileProbe* probe) : ENode(path, probe) {
    attributes_ |= kAttrDirectory;
}

EDirNode::~EDirNode() {
    // Children first, each through its own destructor; clear parents so nothing dangles.
    for (auto& child : children_) child->parent_ = nullptr;
    children_.clear();
}

bool EDirNode::Accept(EVisitor& visitor) {
    return visitor.VisitDir(this);
}

bool EDirNode::PathLess(const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

bool EDirNode::FindChild(std::string_view name, ENode** found) {
    ENode* first = nullptr;
    for (const auto& child : children_) {
        const std::string& path = child->GetPath();
        std::string_view childName = PathName(path);
        if (path == name || childName == name) {
            if (found) *found = child.get();
            return true;
        }
        if (!first && (EqualsNoCase(path, name) || EqualsNoCase(childName, name)))
            first = child.get();
    }
    if (first && found) *found = first;
    return first != nullptr;
}

std::unique_ptr<IIterator<ENode*>> EDirNode::CreateChildIterator() {
    return std::make_unique<TIterStl<std::vector<std::unique_ptr<ENode>>, ENode*>>(&children_);
}

void EDirNode::AddChild(std::unique_ptr<ENode> child) {
    if (!child) return;
    child->parent_ = this;
    // Binary insertion keeps the order a sort after every insertion would give, without the
    // quadratic cost of re-sorting large folders.
    auto at = std::upper_bound(
        children_.begin(), children_.end(), child,
        [](const auto& a, const auto& b) { return PathLess(a->GetPath(), b->GetPath()); });
    children_.insert(at, std::move(child));
}

void EDirNode::AddChildren(std::vector<std::unique_ptr<ENode>> children) {
    for (auto& child : children) {
        if (!child) continue;
        child->parent_ = this;
        children_.push_back(std::move(child));
    }
    // Stable, so that equal paths keep the order of insertion, as with AddChild.
    std::stable_sort(children_.begin(), children_.end(), [](const auto& a, const auto& b) {
        return PathLess(a->GetPath(), b->GetPath());
    });
}

std::unique_ptr<ENode> EDirNode::RemoveChild(ENode* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const auto& c) { return c.get() == child; });
    if (it == children_.end()) return nullptr;
    std::unique_ptr<ENode> owned = std::move(*it);
    children_.erase(it);
    owned->parent_ = nullptr;
    return owned;
}

// ---- EFileNode ----

EFileNode::EFileNode(std::string_view path, const FileProbe* probe)
    : EFileNode(path, probe, false) {}

EFileNode::EFileNode(std::string_view path, const FileProbe* probe, bool text)
    : ENode(path, probe) {
    if (text)
        isAscii_ = exists_;
    else if (probe)
        isAscii_ = probe->IsAsciiText();
    else
        isAscii_ = FileProbe(path).IsAsciiText();
}

bool EFileNode::Accept(EVisitor& visitor) {
    return visitor.VisitFile(this);
}

void EFileNode::ClearLineTable() {
    std::vector<std::int32_t>().swap(lineTable_);
    lineScanEnd_ = 0;
    lineTableDone_ = false;
    lineAfterCr_ = false;
}

void EFileNode::FeedLineEnds(const char* data, std::uint32_t size, std::uint32_t offset) {
    if (!lineTableDone_ && offset == lineScanEnd_) AppendLineEnds(data, size, offset);
}

void EFileNode::AppendLineEnds(const char* data, std::uint32_t size, std::uint32_t offset) {
    // A CR LF pair is one line end, recorded at the CR (also across blocks).
    const char* end = data + size;
    const bool anyCr = std::memchr(data, '\r', size) != nullptr;
    const char* p = data;
    if (lineAfterCr_ && size > 0 && *p == '\n') ++p;
    lineAfterCr_ = false;
    if (!anyCr) {
        // Files with LF ends only: one memchr per line.
        while (p < end) {
            const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            if (!lf) break;
            const char* at = static_cast<const char*>(lf);
            lineTable_.push_back(static_cast<std::int32_t>(offset + (at - data)));
            p = at + 1;
        }
    } else {
        for (; p < end; ++p) {
            if (*p == '\n') {
                lineTable_.push_back(static_cast<std::int32_t>(offset + (p - data)));
            } else if (*p == '\r') {
                lineTable_.push_back(static_cast<std::int32_t>(offset + (p - data)));
                if (p + 1 < end) {
                    if (p[1] == '\n') ++p;
                } else {
                    lineAfterCr_ = true;
                }
            }
        }
    }
    lineScanEnd_ = offset + size;
}

void EFileNode::FinishLineTable(std::uint32_t length) {
    if (lineTableDone_ || lineScanEnd_ != length) return;
    lineTable_.push_back(static_cast<std::int32_t>(length));
    lineTableDone_ = true;
}

bool EFileNode::BuildLineTable() {
    ClearLineTable();
    lineTableDone_ = true;  // what is read is what is used, even after a failure
    int fd = OpenRegularFile(path_);
    if (fd < 0) {
        LogError(30016);
        return false;
    }
    char block[65536];
    std::uint32_t offset = 0;
    for (;;) {
        ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0) {
            ::close(fd);
            LogError(30017);
            return false;
        }
        if (n == 0) break;
        AppendLineEnds(block, static_cast<std::uint32_t>(n), offset);
        offset += static_cast<std::uint32_t>(n);
    }
    ::close(fd);
    lineTable_.push_back(static_cast<std::int32_t>(offset));
    return true;
}

std::uint32_t EFileNode::LineFromOffset(std::uint32_t offset) {
    // A table still being fed answers for the part it covers; anything else needs the whole.
    if (!lineTableDone_ && offset >= lineScanEnd_) BuildLineTable();
    if (lineTable_.empty()) return 1;
    auto it = std::lower_bound(lineTable_.begin(), lineTable_.end(), offset,
                               [](std::int32_t entry, std::uint32_t off) {
                                   return static_cast<std::uint32_t>(entry) < off;
                               });
    std::size_t k = static_cast<std::size_t>(it - lineTable_.begin()) + 1;
    if (lineTableDone_) k = std::min(k, lineTable_.size());
    return static_cast<std::uint32_t>(k);
}

// ---- EHtmlNode ----

namespace {

const HtmlLists& ListsOr(const HtmlLists* lists, std::shared_ptr<const HtmlLists>& current) {
    if (lists) return *lists;
    if (!current) current = HtmlLists::Current();
    return *current;
}

}  // namespace

EHtmlNode::EHtmlNode(std::string_view path, const FileProbe* probe, const HtmlLists* lists)
    : EHtmlNode(path, probe, lists, {}) {}

EHtmlNode::EHtmlNode(std::string_view path, const FileProbe* probe, const HtmlLists* given,
                     std::shared_ptr<const HtmlLists> current)
    : EFileNode(path, probe, ListsOr(given, current).IsHtmlByExtension(path)) {
    if (!exists_) return;
    const HtmlLists* lists = &ListsOr(given, current);
    std::optional<FileProbe> own;
    if (!probe) probe = &own.emplace(path_);
    // Only a regular file is read as a page: a FIFO or device named "x.html" is just a file.
    if (!probe->isRegular) return;
    isHtml_ = lists->IsHtml(path_, *probe);
    if (isHtml_) isAscii_ = true;
    isStyleSheet_ = !isHtml_ && EqualsNoCase(PathExtension(path_), "css");
}

EHtmlNode::~EHtmlNode() = default;

bool EHtmlNode::Accept(EVisitor& visitor) {
    return visitor.VisitHtml(this);
}

EHtmlNode::PageReading& EHtmlNode::Reading() {
    if (!reading_) reading_ = std::make_unique<PageReading>();
    return *reading_;
}

// Called when the URLs go, not when only the tags go: a caller may clear the tags while it
// still holds the page's list of URLs.
void EHtmlNode::DropReadingIfEmpty() {
    if (reading_ && reading_->tags.empty() && reading_->urls.empty() &&
        reading_->fragmentRefs.empty() && reading_->anchorIds.empty())
        reading_.reset();
}

bool EHtmlNode::HasChildren() {
    return walkCount_ > 0 || (reading_ && !TIterWeb(&reading_->urls).IsDone());
}

std::unique_ptr<IIterator<ENode*>> EHtmlNode::CreateChildIterator() {
    if (walkCount_ > 0 && site_) {
        std::span<ENode* const> queued = site_->backLinks.Queued(queuedAt_, this);
        return std::make_unique<TIterSpan>(
            queued.first(std::min<std::size_t>(walkCount_, queued.size())));
    }
    return std::make_unique<TIterWeb>(reading_ ? &reading_->urls : nullptr);
}

ParseResult EHtmlNode::ParseTags(ESection* section) {
    if (tagsParsed_) return ParseResult::Ok;
    EScannerFile scanner(path_);
    return ReadTagsFrom(scanner, section);
}

ParseResult EHtmlNode::ReadTagsFrom(EScannerFile& scanner, ESection* section) {
    std::vector<ETag>& tags = Tags();
    tags.clear();
    ParseResult status = StreamTagsFrom(scanner, section, nullptr, nullptr,
                                        [&tags](ETag& tag) { tags.push_back(std::move(tag)); });
    tagsParsed_ = status != ParseResult::Unreadable;
    return status;
}

ParseResult EHtmlNode::StreamTagsFrom(EScannerFile& scanner, ESection* section,
                                      const TagInterest* interest,
                                      std::vector<std::uint32_t>* anchors,
                                      const std::function<void(ETag&)>& sink) {
    if (!scanner.IsOpen()) return ParseResult::Unreadable;
    const bool feedLines = !lineTableDone_;
    if (feedLines) {
        ClearLineTable();
        scanner.SetLineSink(this);
    }
    ParseResult status = ReadAllTags(scanner, sink, section, this, 0, interest, anchors);
    if (feedLines) FinishLineTable(scanner.Length());
    tagsParsed_ = false;
    return status;
}

void EHtmlNode::ClearTags() {
    if (reading_) std::vector<ETag>().swap(reading_->tags);
    ClearLineTable();
    tagsParsed_ = false;
}

void EHtmlNode::ClearUrls() {
    if (reading_) {
        std::vector<EUrl>().swap(reading_->urls);
        std::vector<FragmentRef>().swap(reading_->fragmentRefs);
        std::vector<std::uint32_t>().swap(reading_->anchorIds);
    }
    DropReadingIfEmpty();
    walkCount_ = 0;
    urlsParsed_ = false;
}

std::unique_ptr<EHtmlNode::PageReading> EHtmlNode::KeepOnlyTargets(std::uint32_t queuedAt,
                                                                   std::uint32_t walkCount) {
    std::unique_ptr<PageReading> released;
    if (reading_ && reading_->tags.empty()) released = std::move(reading_);
    ClearUrls();
    queuedAt_ = queuedAt;
    walkCount_ = walkCount;
    return released;
}

std::string EHtmlNode::GetBaseDirectory(bool fromNames) const {
    std::string dir;
    if (baseNode) {
        dir = fromNames ? baseNode->RebuildPath() : baseNode->GetPath();
    } else if (baseHref.empty()) {
        dir = fromNames ? std::string(PathDirectory(RebuildPath())) : GetDirectory();
    } else {
        return baseHref;
    }
    if (dir.empty() || dir.back() != kPathSep) dir += kPathSep;
    return dir;
}

// ---- ENodeCreator ----

ENodeCreator::ENodeCreator() : lists_(HtmlLists::Current()) {}

std::unique_ptr<ENode> ENodeCreator::Create(std::string_view path, bool isLink) {
    FileProbe probe(path);
    if (probe.isDirectory && isLink) {
        // A linked folder is a shortcut: its files belong where they really are (outside the
        // site, or in the site under their own path), not to every path that reaches them.
        probe.isDirectory = false;
        probe.attributes &= ~std::uint32_t{0x10};
        return std::make_unique<EFileNode>(path, &probe);
    }
    if (probe.isDirectory) return std::make_unique<EDirNode>(path, &probe);
    auto page = std::make_unique<EHtmlNode>(path, &probe, lists_.get());
    if (page->IsLinkSource()) return page;
    return std::make_unique<EFileNode>(path, &probe);
}

bool IsHtmlFile(std::string_view path) {
    if (path.empty() || IsFolder(path)) return false;
    return EHtmlNode(path).IsHtml();
}

}  // namespace tw
