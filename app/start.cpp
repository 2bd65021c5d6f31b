// app/start.cpp - the command line and the start-up sequence.
#include <cstdio>
#include <cstring>
#include "app/app.h"
#include "engine/centre.h"
#include "engine/work.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

AppState App;

namespace {
constexpr int TextMax = 255;   // texts are single-byte and at most 255 characters

// Copies at most 255 characters of src; the result is always terminated.
void CopyText(char (&dst)[256], const char* src) { std::snprintf(dst, sizeof dst, "%s", src); }

// --deep, or --re, --im or --zoom with its value (which i then passes); true when argv[i] is
// one of them. A value that is not a number of its range is ignored, like every other
// argument the explorer cannot use.
bool TakeViewOption(int argc, const char* const* argv, int* i) {
    const char* a = argv[*i];
    if (!std::strcmp(a, "--deep")) {
        Deep.On = true;
        return true;
    }
    const bool re = !std::strcmp(a, "--re"), im = !std::strcmp(a, "--im"), zoom = !std::strcmp(a, "--zoom");
    if (!re && !im && !zoom) return false;
    if (*i + 1 >= argc || !argv[*i + 1]) return true;
    const char* v = argv[++*i];
    CentreCoord c;
    int32_t z;
    if (zoom && ParseInt32(v, &z) && z >= MinZoom && z <= MaxDeepZoom) App.GivenZoom = z;
    if (!zoom && DecimalToCentre(v, &c)) (re ? App.GivenRe : App.GivenIm) = v;
    return true;
}

}  // namespace

void TakeGivenView() {
    const bool given = App.GivenRe || App.GivenIm || App.GivenZoom != NoGivenZoom;
    if (given && Messages.LoadState != LoadFailed) {
        if (Messages.LoadState != LoadDone) {
            LoadedParams = DefaultView();
            Messages.LoadState = LoadGiven;
        }
        CentreCoord c;
        if (App.GivenRe && DecimalToCentre(App.GivenRe, &c)) SetCentre(LoadedParams, AxisY, c);   // the real axis
        if (App.GivenIm && DecimalToCentre(App.GivenIm, &c)) SetCentre(LoadedParams, AxisX, c);
        if (App.GivenZoom != NoGivenZoom) LoadedParams.ld_Zoom = App.GivenZoom;
    }
    const bool loaded = Messages.LoadState == LoadDone || Messages.LoadState == LoadGiven;
    if (loaded && LoadedParams.ld_Zoom > MaxZoom) Deep.On = true;
}

namespace {
bool TryLoad(const char* name) {
    if (std::strlen(name) > TextMax || !PlatFileExists(name)) return false;
    LoadParameterFile(name);
    return true;
}
}  // namespace

// Decimal or "$" hexadecimal, with an optional minus sign; the whole text must be the number.
bool ParseInt32(const char* s, int32_t* out) {
    bool neg = false;
    if (*s == '-') { neg = true; s++; }
    bool hex = false;
    if (*s == '$') { hex = true; s++; }
    if (*s == 0) return false;
    uint64_t v = 0;
    for (; *s; s++) {
        int d;
        char c = *s;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + (uint64_t)d;
        if (v > 0xFFFFFFFFull) return false;
    }
    int64_t r;
    if (hex) r = (int64_t)(int32_t)(uint32_t)v;          // a hex number is a 32-bit pattern
    else if (v > 0x80000000ull || (!neg && v == 0x80000000ull)) return false;
    else r = (int64_t)v;
    if (neg) r = -r;
    if (r < INT32_MIN || r > INT32_MAX) return false;
    *out = (int32_t)r;
    return true;
}

// An installed program's folder (/usr/bin, Program Files) takes no saves from a user: then
// they go to a folder of the program's own among the user's pictures, which the first save
// creates. A portable copy keeps its Pictures folder beside the program.
static void ChoosePicturesFolder() {
    const char sep = PlatPathSeparator();
    char folder[256];
    CopyText(folder, App.PicturesFolder);
    folder[std::strlen(folder) - 1] = 0;   // without its final separator
    App.UserPictures[0] = 0;
    if (PlatFolderWritable(folder)) return;
    char user[256];
    if (!PlatUserPicturesFolder(user, sizeof user)) return;
    if (std::snprintf(folder, sizeof folder, "%s%cZentrix%c", user, sep, sep) >= (int)sizeof folder) return;
    CopyText(App.PicturesFolder, folder);
    CopyText(App.UserPictures, user);
}

void ReadCommandLine(int argc, const char* const* argv) {
    // PicturesFolder: beside the program, named after the last separator of its full path.
    const char sep = PlatPathSeparator();
    char path[256] = "";
    char full[PlatPathCapacity] = "";
    const char* self = argc > 0 && argv[0] ? argv[0] : "";
    CopyText(path, PlatProgramPath(self, full, sizeof full) ? full : self);
    int len = (int)std::strlen(path), last = -1;
    for (int i = len - 2; i >= 0; i--)
        if (path[i] == sep) { last = i; break; }
    if (last >= 0) {
        path[last + 1] = 0;
        std::snprintf(App.PicturesFolder, sizeof App.PicturesFolder, "%sPictures%c", path, sep);
    } else {
        std::snprintf(App.PicturesFolder, sizeof App.PicturesFolder, ".%cPictures%c", sep, sep);
    }
    ChoosePicturesFolder();

    Messages.LoadState = LoadNothing;
    Cycle.FormatOption = 0;
    Work.ThreadsOption = 0;
    Display.WindowPercent = 100;
    Display.KeepTaskbar = 0;
    Deep.On = false;
    App.GivenRe = App.GivenIm = nullptr;
    App.GivenZoom = NoGivenZoom;

    for (int i = 1; i < argc && argv[i] && argv[i][0]; i++) {
        if (TakeViewOption(argc, argv, &i)) continue;
        char s[256], name[600];
        CopyText(s, argv[i]);
        if (TryLoad(s)) continue;
        std::snprintf(name, sizeof name, "%s.zxp", s);
        if (TryLoad(name)) continue;
        std::snprintf(name, sizeof name, "%s%s", App.PicturesFolder, s);
        if (TryLoad(name)) continue;
        std::snprintf(name, sizeof name, "%s%s.zxp", App.PicturesFolder, s);
        if (TryLoad(name)) continue;
        int32_t v;
        if (!ParseInt32(s, &v)) continue;   // neither a view nor a number: ignored silently
        if (v >= -2 && v <= -1) Cycle.FormatOption = (int8_t)v;
        else if (v >= 1 && v <= 8) Work.ThreadsOption = v;
        else if (v >= 33 && v <= 99) Display.WindowPercent = v;
        else if (v == 100) Display.KeepTaskbar = 1;
    }
}

// Start values of the render, input and window flags; the first paint then starts a picture.
static void InitFlags() {
    InitCycleState();
    Input = InputState{};
    PanelVisible = 1;
    Messages.MessageTimerRunning = 0;
    Messages.MessageCode = MsgNone;
    Display.Minimised = 0;
    App.FocusJustLost = 0;
    Display.MinimiseWhenIdle = 0;
    Work.TilePos = CmdNewPicture;   // the first paint starts a fresh picture
}

void StartUp(int argc, const char* const* argv) {
    ReadCommandLine(argc, argv);
    ReadDisplayMetrics();
    ChooseWindowSize();
    CreateMainWindow(WindowProc);
    StartWorkers();
    TakeGivenView();
    BuildTileTables();
    BuildPalette();
    ComputeLayout();
    CheckBufferLayout();
    InitEngineState();
    InitFlags();
}

void MessageLoop() {
    PlatMsg msg;
    while (PlatGetMessage(&msg)) PlatDispatchMessage(&msg);
}

static_assert(MaxZoom == 112 && MaxDeepZoom == 20000 && MinZoom == -4, "the usage names the zoom limits");
const char* const ExplorerUsage =
    "usage: zentrix [VIEW.zxp] [options]\n"
    "  --deep         deep zoom on: the zoom goes on past 2^112 down to 2^20000 (the D key\n"
    "                 turns it on and off)\n"
    "  --re R --im I  the view's centre, real and imaginary part, as decimals of any length\n"
    "  --zoom Z       its zoom exponent, -4 to 20000 (a pixel is 2^-(8 + Z)); past 112 deep\n"
    "                 zoom is on\n"
    "  1 to 8         computing threads\n"
    "  33 to 99       the window's size in percent of the screen; 100 keeps the task bar\n"
    "  -1, -2         the default view's number formats: as they are, or wider from lower zooms\n";

int ZentrixMain(int argc, const char* const* argv) {
    if (argc == 2 && argv[1] && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(ExplorerUsage, stdout);
        return 0;
    }
    StartUp(argc, argv);
    MessageLoop();
    return 0;   // nothing is saved at exit
}
