// tests/xvfb/headless_snapshot.cpp - the picture the real window must show: the explorer on
// the headless backend with the display an Xvfb screen reports, after its first picture and
// the same clicks and key presses, written as a PPM file.
//
//   headless_snapshot [--scale N] [--real-clock] OUT.ppm SCREEN_W SCREEN_H STEPS [program arguments...]
//   STEPS: comma-separated "click:X:Y" (client coordinates) and "key:VK" (virtual-key code),
//   or "" for the first picture alone
//   --scale N: the display is SCREEN_W x SCREEN_H and the program sees it N times smaller,
//   as the desktop backend on a dense display
//   --real-clock: the machine's clock, so the info panel shows the real calculation time
//   prints "X Y W H" of the window, in the program's pixels
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>
#include "app/app.h"
#include "platform/headless/headless.h"
#include "tests/xvfb/ppm.h"

namespace {
// Each step waits out the key lock-out and then the whole picture, as the script does.
bool Play(const char* steps) {
    std::vector<char> text(steps, steps + std::strlen(steps) + 1);
    for (char* step = std::strtok(text.data(), ","); step; step = std::strtok(nullptr, ",")) {
        int x, y;
        unsigned vk;
        HeadlessAdvanceClock(1000);
        if (std::sscanf(step, "click:%d:%d", &x, &y) == 2) HeadlessClick(x, y);
        else if (std::sscanf(step, "key:%u", &vk) == 1) HeadlessKey(vk);
        else {
            std::fprintf(stderr, "unknown step %s\n", step);
            return false;
        }
        HeadlessPumpUntilIdle();
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    const char* self = argv[0];
    int scale = 1;
    for (;;) {
        if (argc > 2 && std::strcmp(argv[1], "--scale") == 0) {
            scale = std::atoi(argv[2]);
            argc -= 2, argv += 2;
        } else if (argc > 1 && std::strcmp(argv[1], "--real-clock") == 0) {
            HeadlessUseRealClock();
            argc -= 1, argv += 1;
        } else {
            break;
        }
    }
    if (argc < 5 || scale < 1) {
        std::fprintf(stderr, "usage: %s [--scale N] [--real-clock] OUT.ppm SCREEN_W SCREEN_H STEPS [arguments...]\n",
                     self);
        return 2;
    }
    const int dw = std::atoi(argv[2]), dh = std::atoi(argv[3]), w = dw / scale, h = dh / scale;
    // A bare X server has no taskbar; the desktop backend counts the online processors.
    HeadlessSetMetrics(PlatDisplayMetrics{dw, dh, w, h, 0, 0, w, h});
    HeadlessSetProcessorCount((int)sysconf(_SC_NPROCESSORS_ONLN));

    // A program the system cannot place, started as "zentrix": its saves go to ./Pictures,
    // where the scripts that compare them with the desktop program's look.
    HeadlessSetProgramPath("");
    std::vector<const char*> args{"zentrix"};
    for (int i = 5; i < argc; i++) args.push_back(argv[i]);
    StartUp((int)args.size(), args.data());
    HeadlessPumpUntilIdle();
    if (!Play(argv[4])) return 2;
    if (!HeadlessWindowExists() || HeadlessMinimised()) {
        std::fprintf(stderr, "the window is gone or minimised after the input\n");
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
