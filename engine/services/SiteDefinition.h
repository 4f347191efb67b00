#pragma once
// What makes a site definition acceptable before it is stored: a name, an existing directory
// that no other defined site already covers, and a home page that is an HTML file inside it.
// The first problem found is reported with the field to correct.

#include <optional>
#include <string>

namespace tw {

class EAppSite;

struct SiteFields {
    std::string name, directory, homePage, server;
};

struct SiteProblem {
    enum Field { Name, Directory, HomePage } field = Name;
    std::string message;
    // The directory lies in a site already defined: the user is offered the site list.
    bool alreadyTracked = false;
};

// `editing` is the site whose definition this is (null for a new one): its own directory is
// no conflict.
std::optional<SiteProblem> CheckSiteDefinition(const SiteFields& fields, const EAppSite* editing);

}  // namespace tw
