// libFuzzer target: any bytes as a page for the tag reader and as a URL for the URL
// functions. Build with clang and -DTW_FUZZ=ON (see the README).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/html/Scanner.h"
#include "engine/html/TagReader.h"
#include "engine/html/UrlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    tw::EScannerString scanner(text);
    std::vector<tw::ETag> tags;
    tw::ReadAllTags(scanner, tags, nullptr, nullptr);
    for (const tw::ETag& tag : tags) {
        if (tag.start > text.size() || tag.end > text.size()) __builtin_trap();
        for (const auto& [name, attr] : tag.attributes)
            if (attr.valueOffset > text.size()) __builtin_trap();
    }

    tw::UrlContext page;
    page.server = "example.org/~me";
    page.siteDirectory = "/site/";
    page.baseDirectory = "/site/sub/";
    page.pageFolder = "/site/sub/";
    std::string decoded = tw::DecodeUrl(tw::StripFragmentOrQuery(text));
    if (!tw::EncodesTo(decoded, tw::EncodeUrl(decoded, false))) __builtin_trap();
    tw::MakeAbsoluteUrl(decoded, "http://example.org/a/");
    tw::NormalizeUrlPath(decoded, '/');
    if (tw::IsLocalUrl(page, decoded)) {
        std::string path = tw::ResolveToFilePath(tw::LocalUrlPath(page, decoded),
                                                 page.baseDirectory, page.siteDirectory);
        tw::SiteRelativeUrlPath(page, decoded);
        tw::RelativeUrl(page, path);
    }
    return 0;
}
