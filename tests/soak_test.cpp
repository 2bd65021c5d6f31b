// tests/soak_test.cpp - the whole program under random input: keys from both tables with and
// without Shift, Ctrl and Alt, clicks and drags anywhere, the wheel, the right button, focus
// changes, timer expiries, clock jumps, slow clock reads and saves with file faults, between
// paints. After every step the render cycle's control word, the view and the colours are in
// their ranges; the picture on the screen and every history slot is one computed for its view;
// and a sample of the pictures completed without the interior shortcut equals a fresh
// computation. Deterministic from its seed: ZENTRIX_SOAK_SEED and ZENTRIX_SOAK_EVENTS choose
// them (CI runs a long one); a failure names the seed and the event to replay it.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include "app/commands.h"
#include "files/params.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "tests/commands_util.h"
#include "tests/files_test_util.h"

namespace {

constexpr int32_t CostlyIteration = 20000;
constexpr int SoakW = 160, SoakH = 100;   // small, so that a picture costs little

uint64_t EnvNumber(const char* name, uint64_t otherwise) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : otherwise;
}

uint64_t Mix(uint64_t h, uint64_t v) { return (h ^ v) * 0x100000001B3ull + (h >> 29); }

uint64_t ViewKey(const ViewParams& v) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint64_t w : {v.Center_zX.lo, v.Center_zX.hi, v.Center_zY.lo, v.Center_zY.hi}) h = Mix(h, w);
    return Mix(Mix(h, uint32_t(v.ld_Zoom)), uint32_t(v.Iteration));
}

// The picture's counts as one number; `counts` starts at pixel (0, 0), rows CountStride apart.
uint64_t CountsHash(const int32_t* counts) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (int y = 0; y < Calc.WindowHeight; y++)
        for (int x = 0; x < Calc.WindowWidth; x++) h = Mix(h, uint32_t(counts[y * CountStride + x]));
    return h;
}

bool Computing(int32_t tile) { return tile >= 0 && tile < TileCount; }

struct Soak {
    std::mt19937_64 Rng;
    ScratchFolder   Dir;
    std::map<uint64_t, std::set<uint64_t>> Computed;   // view -> the pictures computed for it
    int Fresh = 0, Completed = 0, Saves = 0, DeepestZoom = 0, HighestLimit = 0, Formats = 0;

    uint32_t Pick(uint32_t n) { return uint32_t(Rng() % n); }
    // High limits take long to compute, inside pixels above all.
    bool Costly() const { return !Cycle.FirstPaintPending && View.Iteration > CostlyIteration; }
    bool Chance(uint32_t percent) { return Pick(100) < percent; }

    void Register() { Computed[ViewKey(View)].insert(CountsHash(&NAt(0, 0))); }
    bool Known(const ViewParams& v, const int32_t* counts) {
        const auto it = Computed.find(ViewKey(v));
        return it != Computed.end() && it->second.count(CountsHash(counts)) > 0;
    }

    // A picture just completed: it joins the pictures of its view, and some of those that
    // were computed pixel by pixel are computed again from nothing.
    void PictureCompleted() {
        Completed++;
        DeepestZoom = std::max(DeepestZoom, View.ld_Zoom);
        HighestLimit = std::max(HighestLimit, View.Iteration);
        Formats |= 1 << Calc.NumberMode;
        Register();
        const int32_t c = Cycle.LastCommand;
        const bool whole = c == CmdNewPicture ||
                           (Cycle.RecomputeAll && (c == CmdRecompute || c == CmdZoomInAtPoint || c == CmdZoomIn ||
                                                   c == CmdZoomOut || c == CmdIterationUp));
        if (whole && Chance(25)) {
            Fresh++;
            ASSERT_TRUE(ShownCounts() == FreshCounts()) << "picture after command " << c;
        }
        for (int i = 0; i < HistorySlots; i++) ASSERT_TRUE(Known(History[i].Params, HistoryCounts(i))) << "a history slot";
    }

    void Pump(int messages) {
        for (int i = 0; i < messages; i++) {
            if (Costly() && i >= 4) return;   // the next event most likely turns back
            const int32_t before = Work.TilePos;
            if (!HeadlessPumpOne()) return;
            if (Computing(before) && Work.TilePos == TileIdle) PictureCompleted();
            // A lowered limit recolours the counts it has, with no pass.
            if (before == CmdIterationDown && Work.TilePos == TileIdle && Cycle.LastCommand == CmdIterationDown)
                Register();
            if (testing::Test::HasFatalFailure()) return;
        }
    }

    void Key() {
        static const uint32_t keys[] = {
            VK_BACK, VK_TAB, VK_PRIOR, VK_NEXT, VK_ADD, VK_SUBTRACT, VK_OEM_PLUS, VK_OEM_MINUS, VK_DELETE,
            '1', '2', '3', '4', '5', '6', '9', 'F', 'I', 'M', 'N', 'S', 'C', VK_RETURN, VK_SPACE,
            VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_LWIN, VK_F1, VK_F1 + 1, VK_F1 + 2, VK_F1 + 3, VK_F1 + 4,
            VK_F1 + 5, VK_F1 + 6, VK_F1 + 8, VK_F1 + 9, VK_F1 + 10, VK_F12, VK_NUMPAD0 + 4, VK_NUMPAD0 + 9,
            VK_ESCAPE, 'A'};
        const uint32_t vk = keys[Pick(std::size(keys))];
        const uint32_t modifier = Chance(70) ? 0u : Chance(50) ? uint32_t(VK_SHIFT) : uint32_t(VK_CONTROL);
        // Alt alone makes a system key of the next one, which the program never sees; with Ctrl
        // held its press reaches the program and clears both modifiers.
        const bool alt = Chance(10), system = alt && modifier != VK_CONTROL;
        const uint32_t held = alt ? 0 : modifier;
        // Esc, Ctrl+C and Alt+F4 would end the program.
        if (system ? vk == VK_F1 + 3 : (vk == VK_ESCAPE && held == 0) || (vk == 'C' && held == VK_CONTROL)) return;
        if (!system && (vk == '9' || vk == VK_F1 + 8 || (vk == 'S' && held == VK_CONTROL))) Saving();
        if (modifier) HeadlessKeyDown(modifier);
        if (system) {
            HeadlessSysKeyDown(VK_MENU);
            HeadlessSysKeyDown(vk);
        } else {
            if (alt) HeadlessKeyDown(VK_MENU);
            HeadlessKeyDown(vk);
        }
        HeadlessKeyUp(vk);
        if (modifier) HeadlessKeyUp(modifier);
    }

    // A point anywhere in the window, at a legend area's edge or inside it, but never on Exit.
    void Point(int* x, int* y) {
        const ScreenBox* boxes[] = {&InfoBar, &BackButton, &ResetButton, &PictureBox, &ZoomInButton, &ZoomOutButton,
                                    &ColorBar, &MessageStrip, &KeyF2, &KeyF3, &KeyF4, &KeyF5, &KeyF6, &KeyF9, &KeyF11};
        do {
            if (Chance(50)) {
                *x = int(Pick(Calc.WindowWidth)), *y = int(Pick(Calc.WindowHeight));
            } else {
                const ScreenBox& b = *boxes[Pick(std::size(boxes))];
                *x = Chance(30) ? (Chance(50) ? b.Left : b.Right) : b.Left + int(Pick(b.Right - b.Left + 1));
                *y = Chance(30) ? (Chance(50) ? b.Top : b.Bottom) : b.Top + int(Pick(b.Bottom - b.Top + 1));
            }
        } while (*x >= ExitButton.Left && *x <= ExitButton.Right && *y >= ExitButton.Top && *y <= ExitButton.Bottom);
    }

    void Mouse() {
        int x, y;
        Point(&x, &y);
        switch (Pick(5)) {
        case 0: HeadlessClick(x, y); break;
        case 1: {   // a drag, released where it ends or left to the hold timer
            HeadlessButtonDown(x, y);
            for (int i = int(Pick(4)); i >= 0; i--) {
                Point(&x, &y);
                HeadlessMouseMove(x, y);
                Pump(int(Pick(3)));
            }
            if (Chance(70)) HeadlessButtonUp(x, y);
            break;
        }
        case 2: HeadlessRightClick(x, y); break;
        case 3: HeadlessMouseMove(x, y), HeadlessWheel(Chance(50) ? 120 : -120); break;
        default: HeadlessButtonDown(x, y); break;   // held: the hold timer or a later press ends it
        }
    }

    // Now and then a save fails at some step; whatever happens, the folder holds only whole files.
    void Saving() {
        Saves++;
        if (Chance(30)) HeadlessFailFileStep(FileStep(Pick(FileStepCount)), 1 + int(Pick(3)));
    }

    void CheckSavedFiles() {
        for (const std::string& name : FolderEntries(Dir / "Pictures")) {
            const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
            const bool zxp = name.size() > 4 && name.compare(name.size() - 4, 4, ".zxp") == 0;
            ASSERT_TRUE(png || zxp) << "a partial file: " << name;
            if (zxp) {
                ViewParams v{};
                const std::string text = ReadWholeFile(Dir / ("Pictures/" + name));
                ASSERT_TRUE(ParseParameterFile(text.data(), int64_t(text.size()), &v)) << name;
            }
        }
    }

    // Down into the fixed-point formats: the limit set by hand, so it does not grow with the
    // zoom, then clicks in the picture.
    void Dive() {
        if (View.Automatic) {
            HeadlessAdvanceClock(InputLockOutMs);
            HeadlessKey('2');
            Pump(1 << 20);
        }
        for (int i = 6 + int(Pick(8)); i > 0; i--) {
            HeadlessAdvanceClock(InputLockOutMs);
            HeadlessClick(PictureBox.Left + int(Pick(PictureBox.Right - PictureBox.Left + 1)),
                          PictureBox.Top + int(Pick(PictureBox.Bottom - PictureBox.Top + 1)));
            Pump(Chance(50) ? 1 << 20 : int(Pick(64)));
        }
    }

    void Event() {
        HeadlessAdvanceClock(Pick(400));
        // A soak that wanders to high limits mostly turns back at once, with keys that act
        // during a calculation too.
        if (Costly() && Chance(80)) {
            HeadlessAdvanceClock(InputLockOutMs);
            HeadlessKey(Chance(60) ? VK_NEXT : VK_DELETE);
            return;
        }
        switch (Pick(100)) {
        case 0: Dive(); break;
        case 1: case 2: case 3: case 4: case 5: HeadlessFocus(Chance(50)); break;
        case 6: case 7: case 8: case 9: case 10: HeadlessAdvanceClock(500 + Pick(4000)); break;   // timers fall due
        case 11: case 12: case 13: case 14: case 15:                      // slices run out
            HeadlessSetTicksPerRead(Chance(85) ? 0 : 1000 + Pick(2000000));
            break;
        default:
            if (Chance(33)) Mouse();
            else Key();
            break;
        }
    }

    void CheckState() {
        const int32_t t = Work.TilePos;
        ASSERT_TRUE((t >= -10 && t < TileCount) || t == TileIdle) << "TilePos " << t;
        ASSERT_TRUE(HeadlessWindowExists());
        if (Cycle.FirstPaintPending) return;   // no view yet: the first paint sets it up
        ASSERT_GE(View.ld_Zoom, MinZoom);
        ASSERT_LE(View.ld_Zoom, MaxZoom);
        ASSERT_GE(View.Iteration, MinIteration);
        ASSERT_LE(View.Iteration, MaxIteration);
        ASSERT_GE(View.CPU_Prev, 0);
        ASSERT_LE(View.CPU_Prev, 8);
        ASSERT_LT(View.Offset, 256u);
        ASSERT_TRUE(View.Color >= ColourTooSmall && View.Color <= ColourTooLarge) << View.Color;
        ASSERT_TRUE(std::isfinite(View.Alt_Color));
        ASSERT_LT(std::abs(Input.DragDX), Calc.WindowWidth);
        ASSERT_LT(std::abs(Input.DragDY), Calc.WindowHeight);
        // Idle, the screen shows a picture computed for the view it names.
        if (t == TileIdle) {
            ASSERT_TRUE(Known(View, &NAt(0, 0))) << "the picture shown after command " << Cycle.LastCommand;
        }
    }
};

}  // namespace

TEST(Soak, RandomInputKeepsEveryInvariant) {
    const uint64_t seed = EnvNumber("ZENTRIX_SOAK_SEED", 16);
    const uint64_t events = EnvNumber("ZENTRIX_SOAK_EVENTS", 10000);
    Soak s;
    s.Rng.seed(seed);
    // A full-screen window or a framed one (with the hold timer), on one thread.
    const std::string self = s.Dir / "zentrix";
    const bool framed = s.Chance(50);
    HeadlessSetScreen(framed ? 2 * SoakW : SoakW, framed ? 2 * SoakH : SoakH);
    StartProgram({self.c_str(), "1", framed ? "50" : "100"});
    for (uint64_t e = 0; e < events; e++) {
        SCOPED_TRACE(testing::Message() << "replay with ZENTRIX_SOAK_SEED=" << seed << ", event " << e);
        s.Event();
        s.Pump(s.Chance(5) ? 1 << 20 : int(s.Pick(64)));
        if (testing::Test::HasFatalFailure()) return;
        s.CheckState();
        if (testing::Test::HasFatalFailure()) return;
        if (e % 64 == 0) s.CheckSavedFiles();
        if (testing::Test::HasFatalFailure()) return;
    }
    s.CheckSavedFiles();
    const auto reached = [&](int mode, const char* name) { return s.Formats & (1 << mode) ? name : ""; };
    std::printf("soak: seed %llu, %llu events, %d pictures completed (zoom up to %d, limit up to %d, number formats"
                "%s%s%s), %d compared with a fresh computation, %d saves, %d file faults\n",
                (unsigned long long)seed, (unsigned long long)events, s.Completed, s.DeepestZoom, s.HighestLimit,
                reached(ModeDouble, " double"), reached(ModeFixed60, " Fixed60"), reached(ModeLong128, " long128"),
                s.Fresh, s.Saves, HeadlessInjectedFaults());
    if (events >= 1000) {
        EXPECT_GT(s.Fresh, 0);
    }
}
