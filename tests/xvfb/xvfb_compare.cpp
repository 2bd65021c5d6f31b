// tests/xvfb/xvfb_compare.cpp - pixel checks of Xvfb screenshots for the end-to-end test.
//
//   xvfb_compare settled SHOT1.ppm SHOT2.ppm X Y W H
//       0 when the window rectangle is the same in both shots and shows a picture
//       (not a black or nearly black window).
//   xvfb_compare match SHOT.ppm WINDOW.ppm X Y [SCALE]
//       0 when the screenshot shows WINDOW.ppm at (X, Y), up to the one line of text that
//       may differ: the calculation time in the info panel, which the headless clock
//       cannot share with the real one. With SCALE, each window pixel must fill a
//       SCALE x SCALE block of the screenshot, whose corner is at (X, Y) x SCALE.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "tests/xvfb/ppm.h"

namespace {
constexpr int TextLineHeight = 12;   // rows a differing line of text may span at most
constexpr int TextLineWidth = 240;   // columns

bool Covers(const Picture& p, int x, int y, int w, int h) {
    return x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= p.Width && y + h <= p.Height;
}

int Settled(const Picture& a, const Picture& b, int x0, int y0, int w, int h) {
    if (!Covers(a, x0, y0, w, h) || !Covers(b, x0, y0, w, h)) return 2;
    long lit = 0;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++) {
            uint32_t p = a.Pixels[(size_t)y * a.Width + x];
            if (p != b.Pixels[(size_t)y * b.Width + x]) return 1;
            int r = (int)(p >> 16) & 255, g = (int)(p >> 8) & 255, bl = (int)p & 255;
            lit += (r > 64 || g > 64 || bl > 64);
        }
    return lit * 20 >= (long)w * h ? 0 : 1;   // at least 5 % of the window is lit
}

// Whether the block of screenshot pixels that shows window pixel (x, y) all have its colour.
bool BlockMatches(const Picture& shot, int x0, int y0, int s, uint32_t colour, int x, int y) {
    for (int dy = 0; dy < s; dy++)
        for (int dx = 0; dx < s; dx++)
            if (shot.Pixels[(size_t)((y0 + y) * s + dy) * shot.Width + (x0 + x) * s + dx] != colour) return false;
    return true;
}

int Match(const Picture& shot, const Picture& win, int x0, int y0, int s) {
    if (s < 1 || !Covers(shot, x0 * s, y0 * s, win.Width * s, win.Height * s)) {
        std::printf("the window rectangle lies outside the screenshot\n");
        return 2;
    }
    long diff = 0;
    int left = win.Width, top = win.Height, right = -1, bottom = -1;
    for (int y = 0; y < win.Height; y++)
        for (int x = 0; x < win.Width; x++) {
            if (BlockMatches(shot, x0, y0, s, win.Pixels[(size_t)y * win.Width + x], x, y)) continue;
            diff++;
            if (x < left) left = x;
            if (x > right) right = x;
            if (y < top) top = y;
            if (y > bottom) bottom = y;
        }
    if (diff == 0) {
        std::printf("window identical to the headless picture\n");
        return 0;
    }
    std::printf("%ld pixels differ, within x %d..%d, y %d..%d\n", diff, left, right, top, bottom);
    return (bottom - top < TextLineHeight && right - left < TextLineWidth) ? 0 : 1;
}

bool Load(const char* path, Picture* pic) {
    if (ReadPpm(path, pic)) return true;
    std::printf("%s is no 8-bit PPM picture\n", path);
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    Picture a, b;
    if (argc == 8 && std::strcmp(argv[1], "settled") == 0) {
        if (!Load(argv[2], &a) || !Load(argv[3], &b)) return 2;
        return Settled(a, b, std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]));
    }
    if ((argc == 6 || argc == 7) && std::strcmp(argv[1], "match") == 0) {
        if (!Load(argv[2], &a) || !Load(argv[3], &b)) return 2;
        return Match(a, b, std::atoi(argv[4]), std::atoi(argv[5]), argc == 7 ? std::atoi(argv[6]) : 1);
    }
    std::fprintf(stderr, "usage: %s settled A.ppm B.ppm X Y W H | match SHOT.ppm WINDOW.ppm X Y [SCALE]\n", argv[0]);
    return 2;
}
