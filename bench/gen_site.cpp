// gen_site: writes a deterministic synthetic site for benchmarks and tests.
//   gen_site FOLDER [--pages N] [--depth N] [--fanout N] [--links N] [--broken PERCENT]
//            [--images N] [--others N] [--page-bytes N] [--no-scripts] [--no-styles] [--seed N]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/SiteGenerator.h"

int main(int argc, char** argv) {
    tw::bench::SiteParams p;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto number = [&](int& into) {
            if (i + 1 >= argc) return false;
            into = std::atoi(argv[++i]);
            return true;
        };
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::puts(
                "usage: gen_site FOLDER [--pages N] [--depth N] [--fanout N] [--links N]\n"
                "                [--broken PERCENT] [--images N] [--others N] [--page-bytes N]\n"
                "                [--no-scripts] [--no-styles] [--seed N]\n"
                "Writes a synthetic web site into FOLDER (which must not exist); the same\n"
                "options and seed always give the same bytes.");
            return 0;
        }
        if (a == "--pages")
            ok = number(p.pages);
        else if (a == "--depth")
            ok = number(p.depth);
        else if (a == "--fanout")
            ok = number(p.fanout);
        else if (a == "--links")
            ok = number(p.linksPerPage);
        else if (a == "--broken")
            ok = number(p.brokenPercent);
        else if (a == "--images")
            ok = number(p.images);
        else if (a == "--others")
            ok = number(p.otherFiles);
        else if (a == "--page-bytes")
            ok = number(p.pageBytes);
        else if (a == "--no-scripts")
            p.scripts = false;
        else if (a == "--no-styles")
            p.styles = false;
        else if (a == "--seed" && i + 1 < argc)
            p.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (folder.empty() && a[0] != '-')
            folder = a;
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "gen_site: bad argument %s\n", a.c_str());
            return 2;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: gen_site FOLDER [--pages N] [--page-bytes N] ...\n");
        return 2;
    }
    int pages = tw::bench::GenerateSite(p, folder);
    if (pages < 0) {
        std::fprintf(stderr, "gen_site: could not write %s\n", folder.c_str());
        return 1;
    }
    std::printf("%d pages in %s\n", pages, folder.c_str());
    return 0;
}
