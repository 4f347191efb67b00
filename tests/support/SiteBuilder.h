#pragma once
// Builds a small site on disk for a test and loads it.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"
#include "tests/support/TestHome.h"

namespace tw::test {

class SiteTest : public TestHome {
  protected:
    // Writes the files below Root()/site and makes a site whose home page is `home`.
    EAppSite& MakeSite(const std::vector<std::pair<std::string, std::string>>& files,
                       const std::string& home = "index.htm", const std::string& server = {},
                       const std::string& defaults = "index.htm;index.html") {
        MakeFolder("site");
        for (const auto& [path, content] : files) WriteFile("site/" + path, content);
        site_ = std::make_unique<EAppSite>("test", PathOf("site"), PathOf("site/" + home), server,
                                           defaults);
        return *site_;
    }
    bool Load(const LoadOptions& options = {}) { return LoadSite(*site_, options); }
    std::string SitePath(const std::string& relative) const { return PathOf("site/" + relative); }
    ENode* Node(const std::string& relative) const { return site_->FindNode(SitePath(relative)); }
    EHtmlNode* Page(const std::string& relative) const {
        return dynamic_cast<EHtmlNode*>(Node(relative));
    }
    int Broken(const std::string& relative) const {
        auto it = site_->brokenCountByPage.find(Node(relative));
        return it == site_->brokenCountByPage.end() ? 0 : it->second;
    }
    void ExpectConsistent() {
        std::string why;
        EXPECT_TRUE(site_->IsConsistent(&why)) << why;
    }

    std::unique_ptr<EAppSite> site_;
};

}  // namespace tw::test
