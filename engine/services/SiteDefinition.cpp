#include "engine/services/SiteDefinition.h"

#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/model/Node.h"
#include "engine/model/SiteRegistry.h"

namespace tw {
namespace {

std::string WithSeparator(std::string_view path) {
    return std::string(StripTrailingSep(path)) + kPathSep;
}

// `inner` is `outer` or lies below it.
bool Within(std::string_view inner, std::string_view outer) {
    const std::string a = WithSeparator(inner), b = WithSeparator(outer);
    return a.size() >= b.size() && EqualsNoCase(std::string_view(a).substr(0, b.size()), b);
}

}  // namespace

std::optional<SiteProblem> CheckSiteDefinition(const SiteFields& fields, const EAppSite* editing) {
    if (fields.name.empty())
        return SiteProblem{SiteProblem::Name, "Please enter a valid name for the site."};
    if (fields.directory.empty())
        return SiteProblem{SiteProblem::Directory,
                           "The directory name is empty.  Please browse to or enter a valid "
                           "directory name."};
    if (!IsFolder(fields.directory))
        return SiteProblem{SiteProblem::Directory,
                           "\"" + fields.directory +
                               "\"\nis an invalid directory name.\nPlease enter a new directory."};
    for (const auto& site : ESiteRegistry::Instance().Sites()) {
        if (site.get() == editing || !Within(fields.directory, site->GetDirectory())) continue;
        return SiteProblem{SiteProblem::Directory,
                           "Directory \"" + fields.directory +
                               "\"\nis already being tracked.\n\nClick OK to show this site in "
                               "the  \"Manage Tracked Web Sites\" dialog.",
                           true};
    }
    if (!Within(fields.homePage, fields.directory) ||
        StripTrailingSep(fields.homePage) == StripTrailingSep(fields.directory))
        return SiteProblem{SiteProblem::HomePage,
                           "The Home Page is not in the specified directory.\nPlease enter a "
                           "valid Home Page for this directory."};
    if (!PathExists(fields.homePage) || IsFolder(fields.homePage) || !IsHtmlFile(fields.homePage))
        return SiteProblem{
            SiteProblem::HomePage,
            "\"" + fields.homePage + "\"\nis an invalid HTML file.\nPlease enter a new file name."};
    return std::nullopt;
}

}  // namespace tw
