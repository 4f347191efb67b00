#pragma once
// Records every URL occurrence of a page from its tags: URL attributes, a few special tags,
// base tags, and by heuristics URLs in scripts, event handlers, javascript: values and
// "@import" rules of style blocks. Offsets are true file offsets, so link rewriting can
// replace exactly those bytes.

#include "engine/model/ParseResult.h"

namespace tw {

class EHtmlNode;
class ESection;
class EScanner;

// Ok, or SyntaxErrors when a script or style block is not closed (reported to `section`).
// `file`, when given, is a scanner over the page that serves the bytes of script and style
// blocks.
// `lean`: the page's tags were read for this alone and go afterwards; each tag's attributes
// are freed as soon as they are read.
ParseResult ExtractUrls(EHtmlNode& page, ESection* section, EScanner* file = nullptr,
                        bool lean = false);

}  // namespace tw
