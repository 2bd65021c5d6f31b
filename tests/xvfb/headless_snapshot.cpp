// tests/xvfb/headless_snapshot.cpp - the picture the real window must show: the explorer on
// the headless backend with the display an Xvfb screen reports, after its first picture and
// the same clicks and key presses, written as a PPM file.
//
//   headless_snapshot OUT.ppm SCREEN_W SCREEN_H STEPS [program arguments...]
//   STEPS: comma-separated "click:X:Y" (client coordinates) and "key:VK" (virtual-key code),
//   or "" for the first picture alone
//   prints "X Y W H" of the window
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
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUT.ppm SCREEN_W SCREEN_H STEPS [arguments...]\n", argv[0]);
        return 2;
    }
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    // A bare X server has no taskbar; the desktop backend counts the online processors.
    HeadlessSetMetrics(PlatDisplayMetrics{w, h, w, h, 0, 0, w, h});
    HeadlessSetProcessorCount((int)sysconf(_SC_NPROCESSORS_ONLN));

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
