#include "engine/model/Url.h"

namespace tw {

const char* UrlSourceName(UrlSource source) {
    switch (source) {
        case UrlSource::Href:
            return "href";
        case UrlSource::Src:
            return "src";
        case UrlSource::Background:
            return "background";
        case UrlSource::Codebase:
            return "codebase";
        case UrlSource::Lowsrc:
            return "lowsrc";
        case UrlSource::Dynsrc:
            return "dynsrc";
        case UrlSource::Usemap:
            return "usemap";
        case UrlSource::Action:
            return "action";
        case UrlSource::Srcset:
            return "srcset";
        case UrlSource::Poster:
            return "poster";
        case UrlSource::Data:
            return "data";
        case UrlSource::FormAction:
            return "formaction";
        case UrlSource::XlinkHref:
            return "xlink:href";
        case UrlSource::Value:
            return "value";
        case UrlSource::Refresh:
            return "refresh";
        case UrlSource::MetaContent:
            return "meta content";
        case UrlSource::StyleUrl:
            return "style url()";
        case UrlSource::StyleImport:
            return "@import";
        case UrlSource::Script:
            return "script";
        case UrlSource::ModuleImport:
            return "import";
    }
    return "href";
}

}  // namespace tw
