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

// From the page's tags read in full: Ok, or SyntaxErrors when a script or style block is not
// closed (reported to `section`). `file`, when given, is a scanner over the page that serves
// the bytes of script and style blocks. (A page parsed for its URLs alone has them taken tag
// by tag as it is read: EHtmlNode::ParseUrls.)
ParseResult ExtractUrls(EHtmlNode& page, ESection* section, EScanner* file = nullptr);

}  // namespace tw
