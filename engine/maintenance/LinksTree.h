#pragma once
// The links of a site sorted into groups, as the fix-all dialog shows them: "_Broken",
// "_Fixed", "_Ignore", "_Filtered out" (untracked links, made when one is there) and the
// user's own groups. The tree is built from the site's link maps and its links file, which
// keeps the user's groups and the links fixed so far from one session to the next.

#include <string>
#include <vector>

namespace tw {

class EAppSite;

class GLinksTree {
  public:
    enum class Kind { Broken, Fixed, Ignore, Filtered, User };
    struct Link {
        std::string path;  // site-relative
        int count = 0;     // occurrences in the site
    };
    struct Group {
        Kind kind = Kind::User;
        std::string name;  // the label without its counts
        std::vector<Link> links;
    };

    // Builds the groups from the site's links file and its link maps.
    void Fill(EAppSite& site);
    void FillFrom(EAppSite& site, const std::string& linksFile);
    // The label with its counts: "_Broken (2 unique, 5 total)".
    static std::string Label(const Group& group);
    // The links file text; empty for an empty tree.
    std::string Text() const;
    // Writes the links file (logged when it cannot).
    bool Save(const std::string& path) const;

    // Whether the links may go from one group to another: not out of "_Fixed" or "_Filtered
    // out", not into them, and not within one group.
    bool CanMove(std::size_t from, std::size_t to) const;
    // Moves the named links (ignoring them in the site when they go to "_Ignore", and back
    // when they leave it). False when the move is not allowed.
    bool Move(EAppSite& site, std::size_t from, const std::vector<std::string>& links,
              std::size_t to);
    // A link of the group was fixed: it goes to "_Fixed" (made when missing), in its sorted
    // place. False when the group has no such link.
    bool MarkFixed(std::size_t group, const std::string& link);
    // A user group "New Group" (or the given name) in its sorted place; its index.
    std::size_t NewGroup(std::string name = {});
    bool RenameGroup(std::size_t group, const std::string& name);
    // A user group goes; its links return to "_Broken".
    bool RemoveGroup(std::size_t group);

    const std::vector<Group>& Groups() const { return groups_; }
    // The index of the first group of the kind (or with the name), or npos.
    std::size_t Find(Kind kind) const;
    std::size_t Find(const std::string& name) const;

  private:
    std::size_t Ensure(Kind kind);
    std::vector<Group> groups_;
};

}  // namespace tw
