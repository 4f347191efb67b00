#pragma once
// Finds the URLs of a stylesheet: every url(...) (quoted or bare) and the target of every
// @import in whatever form ("a.css", url(a.css) print, ... layer(x), supports(...)).
// Comments and strings are skipped, so "url(" inside either is not a reference.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tw {

struct StyleReference {
    std::size_t begin = 0;  // the URL's text is style[begin, end)
    std::size_t end = 0;
    bool import = false;  // the target of an @import rule (else a url() in a declaration)
};

std::vector<StyleReference> StyleReferences(std::string_view style);

}  // namespace tw
