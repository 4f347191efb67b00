#include <gtest/gtest.h>

#include "engine/html/UrlText.h"

namespace tw {
namespace {

TEST(UrlText, DecodeAndEncode) {
    struct Case {
        const char* in;
        const char* out;
    } decode[] = {
        {"a%2520b", "a%20b"},
        {"my%20page.htm", "my page.htm"},
        {"%41%42", "AB"},
        {"100%", "100%"},
        {"%zz%4", "%zz%4"},
        {"a\r\nb", "ab"},
        {"%C3%A9t%C3%A9", "\xC3\xA9t\xC3\xA9"},
        {"%2%41", "*"},
    };
    for (const Case& c : decode) EXPECT_EQ(DecodeUrl(c.in), c.out) << c.in;
    EXPECT_EQ(EncodeUrl("http://h/a b", false), "http://h/a%20b");
    EXPECT_EQ(EncodeUrl("http://h/a b", true), "http:%2F%2Fh%2Fa%20b");
    EXPECT_EQ(EncodeUrl("MAILTO:x y", false), "MAILTO:x%20y");
    EXPECT_EQ(EncodeUrl("a\"b`c~d#e%f", false), "a%22b%60c%7Ed%23e%25f");
    EXPECT_EQ(EncodeUrl("caf\xC3\xA9.htm", false), "caf\xC3\xA9.htm");  // UTF-8 bytes stay
    for (const char* text : {"http://h/a b", "MAILTO:x y", "a\"b`c~d#e%f", "plain/path.htm",
                             "http:", "", "caf\xC3\xA9 x.htm", "a\r\nb c"}) {
        std::string encoded = EncodeUrl(text, false);
        EXPECT_TRUE(EncodesTo(text, encoded)) << text;
        EXPECT_FALSE(EncodesTo(text, encoded + "x")) << text;
        EXPECT_EQ(EncodesTo(text, text), encoded == text) << text;
    }
}

TEST(UrlText, Parts) {
    EXPECT_EQ(HostOf("HTTP://Srv1/a"), "srv1");
    EXPECT_EQ(HostOf("a/b"), "");
    EXPECT_EQ(PathPartOf("HTTP://Srv1/a"), "/a");
    EXPECT_EQ(PathPartOf("http://srv1"), "");
    EXPECT_EQ(PathPartOf("mailto:me@x"), "me@x");
    EXPECT_EQ(PathPartOf("sub/a.htm"), "sub/a.htm");
    EXPECT_EQ(StripFragmentOrQuery("a.htm?x=1#top"), "a.htm");
    EXPECT_EQ(StripFragmentOrQuery("a.htm#top?x"), "a.htm");
    EXPECT_EQ(StripFragmentOrQuery("#top"), "");
    EXPECT_EQ(NormalizeServer("http://srv1/~me/"), "srv1/~me");
    EXPECT_EQ(NormalizeServer("srv1\\"), "srv1");
    EXPECT_TRUE(HasScheme("ftp://x"));
    EXPECT_TRUE(HasUrlScheme("javascript:void(0)"));
    EXPECT_TRUE(HasUrlScheme("data:image/png;base64,AAA"));
    EXPECT_FALSE(HasUrlScheme("a/b:c"));
    EXPECT_FALSE(HasUrlScheme(":x"));
}

TEST(UrlText, NormalizeUrlPath) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"a/b/../c", "a/c"}, {"../x/../y", "../y"}, {"a/b/..", "a"},
        {"b/..", ""},        {"./a/./b", "a/b"},    {"../../a", "../../a"},
        {"/../a", "/../a"},  {"a/../..", ".."},     {"/a/..", "/"},
        {"x./y", "x./y"},    {"ab../c", "ab../c"},  {"/s/d/../../../e", "/../e"},
        {"./../x", "../x"},  {"a/./../b", "b"},     {"/s/./../legal", "/legal"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeUrlPath(c.in, '/'), c.out) << c.in;
}

TEST(UrlText, MakeAbsolute) {
    EXPECT_EQ(MakeAbsoluteUrl("b.htm", "http://h/d/"), "http://h/d/b.htm");
    EXPECT_EQ(MakeAbsoluteUrl("../b.htm", "http://h/d/e/"), "http://h/d/b.htm");
    EXPECT_EQ(MakeAbsoluteUrl("/b.htm", "http://h/d/"), "http://h/b.htm");
    EXPECT_EQ(MakeAbsoluteUrl("//other/x", "http://h/"), "http://other/x");
    EXPECT_EQ(MakeAbsoluteUrl("https://x/./y", "http://h/"), "https://x/y");
    EXPECT_EQ(MakeAbsoluteUrl("MAILTO:me", "http://h/"), "MAILTO:me");
    EXPECT_EQ(MakeAbsoluteUrl("x.htm", "srv"), "http:/x.htm");
}

TEST(UrlText, LocalOrExternalBySiteServer) {
    UrlContext page;
    page.server = "srv1/~me";
    page.siteDirectory = "/site/";
    page.baseDirectory = "/site/sub/";
    page.pageFolder = "/site/sub/";
    struct Case {
        const char* url;
        bool local;
    } cases[] = {
        {"http://srv1/~me/a.htm", true},
        {"http://srv1/b.htm", false},
        {"/~me/a.htm", true},
        {"/b.htm", false},
        {"a.htm", true},
        {"mailto:x@y", false},
        {"javascript:void(0)", false},
        {"data:image/gif;base64,R0", false},
        {"file:///etc/passwd", false},
        {"//cdn.example/x.js", false},
        {"HTTP://SRV1/~ME/x", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLocalUrl(page, c.url), c.local) << c.url;
    UrlContext based = page;
    based.baseDirectory = "http://elsewhere/d/";
    EXPECT_FALSE(IsLocalUrl(based, "a.htm"));
    UrlContext noServer;
    EXPECT_FALSE(IsLocalUrl(noServer, "http://srv1/a.htm"));
    EXPECT_TRUE(IsLocalUrl(noServer, "/a.htm"));
}

TEST(UrlText, LocalPathsAndResolution) {
    UrlContext page;
    page.server = "srv1";
    page.siteDirectory = "/site/";
    page.baseDirectory = "/site/sub/";
    page.pageFolder = "/site/sub/";
    EXPECT_EQ(LocalUrlPath(page, "http://srv1/d/a.htm"), "/d/a.htm");
    EXPECT_EQ(LocalUrlPath(page, "x/y.htm"), "x/y.htm");
    UrlContext me = page;
    me.server = "srv1/~me";
    EXPECT_EQ(LocalUrlPath(me, "/~me/a.htm"), "/a.htm");

    EXPECT_EQ(ResolveToFilePath("a.htm", "/site/sub/", "/site/"), "/site/sub/a.htm");
    EXPECT_EQ(ResolveToFilePath("/img/a.gif", "/site/sub/", "/site/"), "/site/img/a.gif");
    EXPECT_EQ(ResolveToFilePath("../b/./c.htm", "/site/sub/", "/site/"), "/site/b/c.htm");
    EXPECT_EQ(ResolveToFilePath("../../../x", "/site/sub/", "/site/"), "/../x");
    EXPECT_EQ(ResolveToFilePath("", "/site/sub/", "/site/"), "/site/sub/");

    EXPECT_EQ(SiteRelativeDir(page), "/sub/");
    EXPECT_EQ(SiteRelativeUrlPath(page, "../img/A%20b.gif"), "/img/A b.gif");
    EXPECT_EQ(SiteRelativeUrlPath(page, "/x.htm"), "/x.htm");
    EXPECT_EQ(SiteRelativePathOf("/site/sub/a.htm", "/site/"), "/sub/a.htm");
    EXPECT_EQ(SiteRelativePathOf("/site", "/site/"), "/");
}

TEST(UrlText, RelativeUrlFromPageToTarget) {
    UrlContext page;
    page.siteDirectory = "/site/";
    page.baseDirectory = "/site/sub/";
    EXPECT_EQ(RelativeUrl(page, "/img/a.gif"), "../img/a.gif");
    EXPECT_EQ(RelativeUrl(page, "\\img\\a.gif"), "../img/a.gif");
    EXPECT_EQ(RelativeUrl(page, "/sub/b.htm"), "b.htm");
    EXPECT_EQ(RelativeUrl(page, "/sub/deeper/c.htm"), "deeper/c.htm");
    page.baseDirectory = "/site/";
    EXPECT_EQ(RelativeUrl(page, "/a.htm"), "a.htm");
    EXPECT_EQ(ServerUrl("/a.htm", "srv1"), "http://srv1/a.htm");
    EXPECT_EQ(ServerUrl("/a.htm", "https://srv1"), "https://srv1/a.htm");
}

}  // namespace
}  // namespace tw
