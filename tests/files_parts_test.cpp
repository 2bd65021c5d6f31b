// tests/files_parts_test.cpp - pictures made in parts join into the single render's pixels;
// the engine's index, the list of missing parts and the join's refusals.
#include <gtest/gtest.h>
#include <string>
#include "tests/renderer_run.h"

namespace {

// Runs the renderer with `words` and expects the exit code; returns what it said.
RunResult Expect(int code, const std::string& words, const std::string& prefix = "") {
    RunResult r = RunRenderer(words, prefix);
    EXPECT_EQ(r.Code, code) << words << "\n" << r.Err;
    return r;
}

// Every part of `options VIEW OUT` one after the other, then the join.
void MakeInParts(const std::string& options, const std::string& view, const std::string& out, int parts) {
    for (int i = 0; i < parts; ++i)
        Expect(0, options + " --part " + std::to_string(i) + "/" + std::to_string(parts) + " " + view + " " + out);
    Expect(0, options + " --join " + std::to_string(parts) + " " + view + " " + out);
}

// The engines' variables are cleared first, so a test run inside an engine sees only its own.
std::string Engine(const std::string& settings) {
    return "env -u SLURM_ARRAY_TASK_ID -u JOB_COMPLETION_INDEX -u AWS_BATCH_JOB_ARRAY_INDEX -u PARALLEL_SEQ " +
           settings + " ";
}

ViewParams WithFormat(ViewParams v, int32_t zoom) {
    v.ld_Zoom = zoom;
    return v;
}

}  // namespace

// In every number format and mode, from one part to one part per row.
TEST(Parts, JoinedPartsAreTheSingleRendersPixels) {
    struct Case {
        ViewParams  View;
        const char* Options;
        int         Rows;
    };
    const Case cases[] = {
        {WithFormat(SeahorseView(0), 20), "--size 40x16 --scale 2", 32},   // double
        {SeahorseView(48), "--size 40x16 --aa 2", 16},                     // Fixed60
        {SeahorseView(60), "--size 64x16 --scale 2 --aa 2", 32},           // 128-bit
        {SeahorseView(48), "--size 17x23", 23},                            // the window's picture
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        WriteView(dir / "view.zxp", c.View);
        const std::string view = Quoted(dir / "view.zxp");
        Expect(0, std::string(c.Options) + " " + view + " " + Quoted(dir / "single.png"));
        const Decoded single = DecodedFile(dir / "single.png");
        for (int parts : {1, 2, 7, c.Rows}) {
            const std::string out = dir / ("joined-" + std::to_string(parts) + ".png");
            MakeInParts(c.Options, view, Quoted(out), parts);
            EXPECT_TRUE(DecodedFile(out).Pixels == single.Pixels) << c.Options << " in " << parts << " parts";
        }
    }
}

TEST(Parts, TheIndexComesFromTheOneEngineThatSetsIt) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", HomeView());
    const std::string args = "--size 16x16 --scale 1 --part env/3 " + Quoted(dir / "view.zxp") + " " + Quoted(dir / "o.png");
    struct Case {
        const char* Settings;
        int         Code;
        const char* Says;   // the part written, or the error
    };
    const Case cases[] = {
        {"SLURM_ARRAY_TASK_ID=1", 0, "part-00001-of-00003"},
        {"JOB_COMPLETION_INDEX=2", 0, "part-00002-of-00003"},
        {"AWS_BATCH_JOB_ARRAY_INDEX=0", 0, "part-00000-of-00003"},
        {"PARALLEL_SEQ=3", 0, "part-00002-of-00003"},                    // counts from 1
        {"SLURM_ARRAY_TASK_ID=2 PARALLEL_SEQ=3", 0, "part-00002-of-00003"},   // agreeing
        {"", 2, "none of SLURM_ARRAY_TASK_ID, JOB_COMPLETION_INDEX, AWS_BATCH_JOB_ARRAY_INDEX, PARALLEL_SEQ is set"},
        {"SLURM_ARRAY_TASK_ID=1 JOB_COMPLETION_INDEX=2", 2, "SLURM_ARRAY_TASK_ID=1 and JOB_COMPLETION_INDEX=2"},
        {"AWS_BATCH_JOB_ARRAY_INDEX=3", 2, "part 3 is out of range: give 0 to 2"},
        {"PARALLEL_SEQ=0", 2, "PARALLEL_SEQ=0 is no part index"},
        {"SLURM_ARRAY_TASK_ID=x", 2, "SLURM_ARRAY_TASK_ID=x is no part index"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir / "o.png.parts");
        const RunResult r = Expect(c.Code, args, Engine(c.Settings));
        if (c.Code == 0) EXPECT_TRUE(std::filesystem::exists(dir / ("o.png.parts/" + std::string(c.Says)))) << c.Settings;
        else EXPECT_NE(r.Err.find(c.Says), std::string::npos) << c.Settings << "\n" << r.Err;
    }
    Expect(2, "--size 16x16 --part 3/3 " + Quoted(dir / "view.zxp") + " " + Quoted(dir / "o.png"));
    Expect(2, "--size 16x16 --part 0/17 " + Quoted(dir / "view.zxp") + " " + Quoted(dir / "o.png"));   // 16 rows
}

// A part missing, damaged, or made by another command or version: --missing lists it, the join
// names it and writes nothing, and computing what is missing completes the picture.
TEST(Parts, TheJoinRefusesWhatIsNotThisCommandsPartAndTheRerunCompletesIt) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", SeahorseView(48));
    WriteView(dir / "other.zxp", SeahorseView(47));
    const std::string options = "--size 48x32 --scale 1 ", view = Quoted(dir / "view.zxp"), out = Quoted(dir / "o.png");
    const std::string part1 = dir / "o.png.parts/part-00001-of-00004";
    Expect(0, options + view + " " + Quoted(dir / "single.png"));
    MakeInParts(options, view, out, 4);
    std::filesystem::remove(dir / "o.png");
    const std::string good = ReadWholeFile(part1);
    std::string damaged = good, older = good;
    damaged[10] ^= 1;   // in the deflated rows
    older.replace(older.find("version ") + 8, 1, "0");
    Expect(0, options + "--part 1/4 " + Quoted(dir / "other.zxp") + " " + Quoted(dir / "x.png"));
    const std::string otherView = ReadWholeFile(dir / "x.png.parts/part-00001-of-00004");
    struct Case {
        std::string Part;   // empty: absent
        const char* Says;
    };
    const Case cases[] = {
        {"", "part 1 is missing"},
        {damaged, "part 1 is damaged"},
        {good.substr(0, good.size() - 5), "part 1 is damaged"},
        {older, "it says \"version 0"},
        {otherView, "belongs to another command: it says \"view "},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(part1);
        if (!c.Part.empty()) WriteWholeFile(part1, c.Part);
        EXPECT_EQ(Expect(1, options + "--missing 4 " + view + " " + out).Out, "1\n") << c.Says;
        const RunResult r = Expect(1, options + "--join 4 " + view + " " + out);
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << c.Says << "\n" << r.Err;
        EXPECT_FALSE(std::filesystem::exists(dir / "o.png"));
    }
    // The rerun computes part 1 afresh, made by another kernel path: they compute the same bits.
    Expect(0, options + "--kernel scalar --part 1/4 " + view + " " + out);
    EXPECT_EQ(ReadWholeFile(part1), good);
    EXPECT_EQ(Expect(0, options + "--missing 4 " + view + " " + out).Out, "");
    EXPECT_NE(Expect(0, options + "--part 1/4 " + view + " " + out).Out.find("finished already"), std::string::npos);
    Expect(0, options + "--join 4 " + view + " " + out);
    EXPECT_TRUE(DecodedFile(dir / "o.png").Pixels == DecodedFile(dir / "single.png").Pixels);
}

// A zoom video's frames in 3 shares of its keyframes are the single render's frames, and the
// joined video file is the single render's file.
TEST(Parts, VideoSharesMakeTheSingleRendersFramesAndVideo) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", SeahorseView(8));
    const std::string options = "--size 64x48 --from 2 --to 6 --fps 10 --seconds-per-zoom 0.4 ";
    const std::string view = " " + Quoted(dir / "view.zxp");
    Expect(0, options + "--frames " + Quoted(dir / "one") + view);
    Expect(0, options + "--zoom-video " + Quoted(dir / "one.mp4") + view);
    for (const std::string& out : {"--frames " + Quoted(dir / "three/"), "--zoom-video " + Quoted(dir / "three.mp4")}) {
        EXPECT_EQ(Expect(1, options + out + " --missing 3" + view).Out, "0,1,2\n");
        for (int i = 0; i < 3; ++i) Expect(0, options + out + " --part " + std::to_string(i) + "/3" + view);
        EXPECT_EQ(Expect(0, options + out + " --missing 3" + view).Out, "");
        Expect(0, options + out + " --join 3" + view);
    }
    const std::vector<std::string> frames = FolderEntries(dir / "one");
    ASSERT_EQ(frames.size(), 17u);
    EXPECT_EQ(FolderEntries(dir / "three"), frames);
    for (const std::string& f : frames) EXPECT_EQ(ReadWholeFile(dir / ("three/" + f)), ReadWholeFile(dir / ("one/" + f))) << f;
    EXPECT_EQ(ReadWholeFile(dir / "three.mp4"), ReadWholeFile(dir / "one.mp4"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "three.parts"));   // beside the frames, not in them
    // A lost frame makes its share missing again, and the join refuses.
    std::filesystem::remove(dir / "three.mp4.parts/000005.png");
    EXPECT_EQ(Expect(1, options + "--zoom-video " + Quoted(dir / "three.mp4") + " --missing 3" + view).Out, "1\n");
    Expect(1, options + "--zoom-video " + Quoted(dir / "three.mp4") + " --join 3" + view);
}
