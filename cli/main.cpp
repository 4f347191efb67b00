// tidewright: the command-line front end.

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tidewright %s\n", TW_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: tidewright --version\n");
    return 2;
}
