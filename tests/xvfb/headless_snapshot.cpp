// tests/xvfb/headless_snapshot.cpp - starts the explorer on the headless backend with the
// display an Xvfb screen reports, lets it finish its first picture and writes the window as
// a PPM file: the picture the real window must show.
//
//   headless_snapshot OUT.ppm SCREEN_W SCREEN_H [program arguments...]
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>
#include "app/app.h"
#include "platform/headless/headless.h"
#include "tests/xvfb/ppm.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT.ppm SCREEN_W SCREEN_H [arguments...]\n", argv[0]);
        return 2;
    }
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    // A bare X server has no taskbar, so the work area is the whole screen.
    HeadlessSetMetrics(PlatDisplayMetrics{w, h, w, h, 0, 0, w, h});
    // The desktop backend counts the processors that are online, and the thread count shows.
    HeadlessSetProcessorCount((int)sysconf(_SC_NPROCESSORS_ONLN));

    std::vector<const char*> args{"zentrix"};
    for (int i = 4; i < argc; i++) args.push_back(argv[i]);
    StartUp((int)args.size(), args.data());
    HeadlessPumpUntilIdle();
    if (!HeadlessWindowExists()) {
        std::fprintf(stderr, "the window is gone before its first picture\n");
        return 1;
    }
    if (!WritePpm(argv[1], HeadlessCanvas(), HeadlessCanvasWidth(), HeadlessCanvasHeight())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%d %d %d %d\n", HeadlessWindowX(), HeadlessWindowY(), HeadlessCanvasWidth(),
                HeadlessCanvasHeight());
    return 0;
}
