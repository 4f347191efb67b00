#pragma once
// Repairing a broken link: every occurrence of one link (the same site-relative path, letter
// case aside) is given a new target, in every page of the site that holds it or in one page.
// Each occurrence keeps its form: a relative URL gets the relative way to the new target, a
// root-relative one the new path as entered, an absolute one the site's server before it.
// Fragments and queries stay. Undo gives every page its bytes back.

#include <string>
#include <vector>

#include "engine/commands/Command.h"
#include "engine/commands/PageRewrite.h"

namespace tw {

class EAppSite;
class EHtmlNode;

class ESiteFixLinksCommand : public ECommand {
  public:
    // `toUrl` is a site-relative path ("/img/a.gif"); `fromUrl` one too, or, with a page
    // given, a URL as that page writes it.
    ESiteFixLinksCommand(EAppSite* site, EHtmlNode* file, std::string fromUrl, std::string toUrl,
                         bool allFiles);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ESiteFixLinksCommand"; }
    std::vector<std::string> RewrittenFiles() const override;
    void Restamp(const std::string& path, const FileStamp& stamp) override;

    const std::string& FromUrl() const { return fromUrl_; }
    const std::string& ToUrl() const { return toUrl_; }
    // The pages the last run rewrote, and those it could not ("PAGE: why").
    const std::vector<PageChange>& Changes() const { return changes_; }
    const std::vector<std::string>& Problems() const { return problems_; }

    // What a run would write, changing nothing: each page with its bytes before and after.
    struct PagePreview {
        std::string path, oldContent, newContent;
        int links = 0;
    };
    std::vector<PagePreview> Preview() const;

  protected:
    bool DoIt() override;
    bool UndoIt() override;

  private:
    std::vector<EHtmlNode*> PagesToSearch() const;
    // The new texts for the occurrences of `fromUrl_` in the page's bytes.
    std::vector<Splice> SplicesFor(EHtmlNode& page, const std::string& content) const;
    void Refresh();

    EAppSite* site_;
    EHtmlNode* file_;
    std::string fromUrl_, toUrl_;
    bool allFiles_;
    std::vector<PageChange> changes_;
    std::vector<std::string> problems_;
};

}  // namespace tw
