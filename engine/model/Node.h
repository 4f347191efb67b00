#pragma once
// The tree of a site's files and folders. Every node knows its full path; folders own their
// children (kept sorted by path without regard to case); file nodes map byte offsets to lines;
// HTML nodes hold the tags and URLs parsed from their file, which can be dropped and parsed
// again on demand so that walks over big sites need not hold every page at once.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/html/Tag.h"
#include "engine/model/FileProbe.h"
#include "engine/model/ParseResult.h"
#include "engine/model/Url.h"

namespace tw {

class EVisitor;
class EDirNode;
class ESection;
class EAppSite;
class EScannerFile;
struct TagInterest;
template <typename T>
class IIterator;

class ENode {
  public:
    ENode(std::string_view path, const FileProbe* probe);
    virtual ~ENode();
    // Changes whenever a node is made or destroyed anywhere: a copy of a page's URLs, whose
    // targets point at nodes, is still sound while this stays the same.
    static std::uint64_t Generation();
    ENode(const ENode&) = delete;
    ENode& operator=(const ENode&) = delete;

    virtual bool Accept(EVisitor& visitor) = 0;
    virtual bool HasChildren() { return false; }
    // Finds a child by full path or by name, without regard to case (an exact match wins).
    virtual bool FindChild(std::string_view /*name*/, ENode** /*found*/) { return false; }
    // The children a walk follows: a folder's entries, or the nodes a page links to.
    virtual std::unique_ptr<IIterator<ENode*>> CreateChildIterator();
    // Takes ownership; a node that is not a folder drops the child.
    virtual void AddChild(std::unique_ptr<ENode> /*child*/) {}
    // Unlinks the child and hands it back to the caller; null when it is not a child.
    virtual std::unique_ptr<ENode> RemoveChild(ENode* /*child*/) { return nullptr; }

    const std::string& GetPath() const { return path_; }
    std::string GetName() const;
    std::string GetDirectory() const;
    EDirNode* GetParent() const { return parent_; }
    std::uint32_t GetAttributes() const { return attributes_; }
    bool Exists() const { return exists_; }
    bool IsReadOnly() const { return (attributes_ & 0x01) != 0; }
    bool IsHidden() const { return (attributes_ & 0x02) != 0; }
    bool IsSystem() const { return (attributes_ & 0x04) != 0; }
    bool IsFolder() const { return (attributes_ & 0x10) != 0; }
    // "system", "hidden" or empty; true when not empty.
    bool GetAttributeText(std::string& out) const;

    bool SetWritable(bool writable);
    // Size on disk, read each time; -1 when the file is gone.
    std::int64_t GetFileSize() const;
    // path = parent's path + separator + own name.
    void RecomputePath();
    // The node now stands at `path` (moved on disk by a command); its children follow with
    // RecomputePath.
    void MoveTo(std::string path) { path_ = std::move(path); }
    // Renames the file on disk within its folder; the path changes only on success.
    bool Rename(std::string_view newName);
    // The path implied by the names of the ancestors (differs from GetPath while a rename or
    // move is half done).
    std::string RebuildPath() const;
    void LogError(int messageId) const;

    void SetPath(std::string path) { path_ = std::move(path); }

  protected:
    friend class EDirNode;
    EDirNode* parent_ = nullptr;
    std::string path_;
    std::uint32_t attributes_ = 0;
    bool exists_ = false;
};

class EDirNode : public ENode {
  public:
    explicit EDirNode(std::string_view path, const FileProbe* probe = nullptr);
    ~EDirNode() override;

    bool Accept(EVisitor& visitor) override;
    bool HasChildren() override { return !children_.empty(); }
    bool FindChild(std::string_view name, ENode** found) override;
    std::unique_ptr<IIterator<ENode*>> CreateChildIterator() override;
    void AddChild(std::unique_ptr<ENode> child) override;
    std::unique_ptr<ENode> RemoveChild(ENode* child) override;

    // Adds many children at once, with one sort: the order is the one AddChild would give.
    void AddChildren(std::vector<std::unique_ptr<ENode>> children);
    const std::vector<std::unique_ptr<ENode>>& Children() const { return children_; }
    // Orders two paths the way children are kept: without regard to case, then bytewise.
    static bool PathLess(const std::string& a, const std::string& b);

  private:
    std::vector<std::unique_ptr<ENode>> children_;
};

class EFileNode : public ENode {
  public:
    explicit EFileNode(std::string_view path, const FileProbe* probe = nullptr);

    bool Accept(EVisitor& visitor) override;

    // Reads the file's line ends: offsets of each CR, LF or CR LF (at the CR), then the length.
    bool BuildLineTable();
    // 1-based line of a byte offset; builds the table when it is empty.
    std::uint32_t LineFromOffset(std::uint32_t offset);
    bool IsAscii() const { return isAscii_; }
    const std::vector<std::int32_t>& LineTable() const { return lineTable_; }
    void ClearLineTable();
    // The scanner hands over each block of the file as it first reads it; blocks that follow
    // the part already seen extend the table, so a page is read once for tags and lines.
    void FeedLineEnds(const char* data, std::uint32_t size, std::uint32_t offset);
    // Completes a table fed up to `length` (adds the length as its last entry).
    void FinishLineTable(std::uint32_t length);

  protected:
    // `text`: known to be text (a page by its extension): its bytes need not be looked at.
    EFileNode(std::string_view path, const FileProbe* probe, bool text);
    void AppendLineEnds(const char* data, std::uint32_t size, std::uint32_t offset);

    std::vector<std::int32_t> lineTable_;
    std::uint32_t lineScanEnd_ = 0;  // bytes the table covers while it is being fed
    bool lineTableDone_ = false;
    bool lineAfterCr_ = false;
    bool isAscii_ = false;
};

class EHtmlNode : public EFileNode {
  public:
    using ETag = tw::ETag;
    using EUrl = tw::EUrl;

    explicit EHtmlNode(std::string_view path, const FileProbe* probe = nullptr,
                       const HtmlLists* lists = nullptr);
    ~EHtmlNode() override;

    bool Accept(EVisitor& visitor) override;
    // True when at least one URL has a usable local target.
    bool HasChildren() override;
    std::unique_ptr<IIterator<ENode*>> CreateChildIterator() override;

    // Ok also when already parsed; Unreadable stores nothing.
    ParseResult ParseTags(ESection* section);
    // ParseTags from a scanner the caller opened on the page (and may go on using).
    ParseResult ReadTagsFrom(EScannerFile& scanner, ESection* section);
    // The tags an interest wants, each handed to `sink` as it is read and not kept (the
    // page's tags do not count as parsed); the line table is made on the way.
    ParseResult StreamTagsFrom(EScannerFile& scanner, ESection* section,
                               const TagInterest* interest, std::vector<std::uint32_t>* anchors,
                               const std::function<void(ETag&)>& sink);
    // Runs URL extraction after the tags; NotAPage for anything but a page or stylesheet.
    ParseResult ParseUrls(ESection* section);
    // ParseUrls from the page's bytes already in memory (a rewrite has read them): the file
    // is not opened again.
    ParseResult ParseUrlsOf(const std::string& content, ESection* section);
    void ClearTags();
    void ClearUrls();
    // What a page holds only while it is read or its URLs are in use: made on first need and
    // let go with them, so that the many pages of a big site holding neither cost a pointer.
    struct PageReading {
        std::vector<ETag> tags;
        std::vector<EUrl> urls;
        std::vector<FragmentRef> fragmentRefs;
        std::vector<std::uint32_t> anchorIds;
        std::thread::id madeBy = std::this_thread::get_id();
    };

    // Keeps of the URLs only what a walk over the link web needs and drops the URLs
    // themselves, so that any other use parses them again. What the walk follows are the first
    // `walkCount` targets the page was queued with in its site's back links (at `queuedAt`):
    // each usable target once, in order. The dropped URLs are handed back (a page read on
    // another thread is best freed there).
    std::unique_ptr<PageReading> KeepOnlyTargets(std::uint32_t queuedAt, std::uint32_t walkCount);

    bool IsHtml() const { return isHtml_; }
    // A stylesheet of the site: its url()s and @imports are links like a page's.
    bool IsStyleSheet() const { return isStyleSheet_; }
    // A page or a stylesheet: a file whose URLs make the link web.
    bool IsLinkSource() const { return isHtml_ || isStyleSheet_; }
    void SetSite(EAppSite* site) { site_ = site; }
    EAppSite* GetSite() const { return site_; }
    std::string GetSiteServer() const;
    std::string GetSiteServerDefaults() const;
    std::string GetSiteDirectory() const;
    // The folder relative URLs resolve against, with a trailing separator.
    std::string GetBaseDirectory(bool fromNames) const;

    std::vector<ETag>& Tags() { return Reading().tags; }
    std::vector<EUrl>& Urls() { return Reading().urls; }
    // Filled by URL extraction only while the site collects fragments: the hashes of the
    // ids (and <a> names) of the page, sorted, and every reference to a place in a page.
    std::vector<std::uint32_t>& AnchorIds() { return Reading().anchorIds; }
    std::vector<FragmentRef>& FragmentRefs() { return Reading().fragmentRefs; }
    bool TagsParsed() const { return tagsParsed_; }
    bool UrlsParsed() const { return urlsParsed_; }

    int externalUrlCount = -1;
    int localUrlCount = -1;
    std::string baseHref;
    ENode* baseNode = nullptr;

  private:
    // `current` holds the lists when none were given (read once for the base and the body).
    EHtmlNode(std::string_view path, const FileProbe* probe, const HtmlLists* given,
              std::shared_ptr<const HtmlLists> current);
    ParseResult ParseStyleSheetUrls();
    // Readies the page for a new reading of its URLs; false (with the result in `result`)
    // when they are read already or the file is no page.
    bool StartUrls(ParseResult& result);

    PageReading& Reading();
    void DropReadingIfEmpty();

    std::unique_ptr<PageReading> reading_;
    EAppSite* site_ = nullptr;
    // What KeepOnlyTargets kept: where the children of a web walk wait, and how many.
    std::uint32_t queuedAt_ = 0;
    std::uint32_t walkCount_ = 0;
    bool isHtml_ = false;
    bool isStyleSheet_ = false;
    bool tagsParsed_ = false;
    bool urlsParsed_ = false;
};

// Decides the class of a path from one probe of it.
class ENodeCreator {
  public:
    // Takes the HTML lists as they stand now, for every node this creator makes.
    ENodeCreator();
    virtual ~ENodeCreator() = default;
    // `isLink`: the path is a symbolic link; a linked folder becomes a plain (shortcut) node.
    virtual std::unique_ptr<ENode> Create(std::string_view path, bool isLink = false);

  private:
    std::shared_ptr<const HtmlLists> lists_;
};

// Whether the file at `path` is HTML by the user's lists.
bool IsHtmlFile(std::string_view path);

}  // namespace tw
