#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts("usage: linkhive-cli COMMAND ...");
        return 0;
    }
    std::fputs("usage: linkhive-cli COMMAND ... (see --help)\n", stderr);
    return 2;
}
