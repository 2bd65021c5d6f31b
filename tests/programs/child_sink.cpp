// tests/programs/child_sink.cpp - a program for the tests of other programs fed through a
// pipe: it writes its arguments, one to a line, and the number of bytes its input held into
// the file its first argument names, and ends with exit code 7. Started with "--leave" as
// its second argument it reads nothing and ends at once, a reader that stops early.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    constexpr int Finished = 7;
    if (argc < 2) return 1;
    long long bytes = 0;
    if (!(argc > 2 && std::strcmp(argv[2], "--leave") == 0)) {
        char piece[65536];
        for (size_t n; (n = std::fread(piece, 1, sizeof piece, stdin)) > 0;) bytes += (long long)n;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    for (int i = 2; i < argc; i++) std::fprintf(out, "%s\n", argv[i]);
    std::fprintf(out, "%lld bytes\n", bytes);
    return std::fclose(out) == 0 ? Finished : 1;
}
