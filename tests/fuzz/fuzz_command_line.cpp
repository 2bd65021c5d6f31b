// tests/fuzz/fuzz_command_line.cpp - the command line on any arguments (the input cut at
// its zero bytes), with a folder holding a valid view, a damaged one and a Pictures folder:
// every start option stays in its range, and a view is either refused, and named for the
// failure message, or loaded inside the validated ranges.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>
#include "app/app.h"
#include "engine/work.h"
#include "files/params.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "tests/fuzz/fuzz_harness.h"
#include "ui/display.h"
#include "ui/message.h"

namespace {
constexpr int MaxArguments = 8;

void Put(const std::string& path, const std::string& text) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

std::string ViewText(int32_t zoom) {
    ViewParams v{};
    v.Center_zY = ToLong128(-0.5);
    v.ld_Zoom = zoom;
    v.Iteration = v.Alt_Iteration = 256;
    v.Color = v.Alt_Color = 4.0;
    v.Automatic = v.FPU_Mode = 1;
    char text[ParamFileMaxBytes];
    const int n = FormatParameterFile(v, "fuzz", text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

char Folder[] = "/tmp/zentrix-fuzz-XXXXXX";   // the current folder of the run, removed at exit
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char* folder = Folder;
    if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    });
    mkdir("Pictures", 0777);
    Put("view.zxp", ViewText(3));
    Put("bad.zxp", ViewText(MaxDeepZoom + 1));
    Put("Pictures/p.zxp", ViewText(-4));
    Put("Pictures/q", ViewText(7).substr(0, 300));
    HeadlessSetProgramPath((std::string(folder) + "/zentrix").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words{"zentrix"};
    for (size_t at = 0; at <= text.size() && words.size() < MaxArguments;) {
        const size_t end = std::min(text.find('\0', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);
    std::memset(&LoadedParams, 0xA5, sizeof LoadedParams);
    ReadCommandLine(int(words.size()), argv.data());

    FUZZ_CHECK(Cycle.FormatOption >= -2 && Cycle.FormatOption <= 0);
    FUZZ_CHECK(Work.ThreadsOption >= 0 && Work.ThreadsOption <= MaxThreads);
    FUZZ_CHECK(Display.WindowPercent == 100 || (Display.WindowPercent >= 33 && Display.WindowPercent <= 99));
    FUZZ_CHECK(Display.KeepTaskbar <= 1);
    const size_t folder = strnlen(App.PicturesFolder, sizeof App.PicturesFolder);
    FUZZ_CHECK(folder > 0 && folder < sizeof App.PicturesFolder && App.PicturesFolder[folder - 1] == '/');
    FUZZ_CHECK(strnlen(Messages.MessageFileName, sizeof Messages.MessageFileName) < sizeof Messages.MessageFileName);
    FUZZ_CHECK(Messages.LoadState <= LoadFailed);
    if (Messages.LoadState == LoadDone) {
        FUZZ_CHECK(ParamsInRange(LoadedParams));
        FUZZ_CHECK(std::isfinite(LoadedParams.Color));
    }
    if (Messages.LoadState != LoadNothing) FUZZ_CHECK(LoadMessageFor(Messages.LoadState, Messages.MessageFileName).Present);
    return 0;
}
