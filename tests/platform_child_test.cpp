// tests/platform_child_test.cpp - another program fed through a pipe, as the video encoder is:
// its arguments arrive as given (spaces, quotes and backslashes too, which Windows passes as
// one command line), all the bytes reach it, its exit code comes back, and a reader that
// stops early fails the write without ending this program.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "tests/files_test_util.h"
#include "tests/support.h"

namespace {
// The sink is built beside the tests; a bare name with no extension is how the seam is
// given programs, and each system finds the file for it.
std::string SinkProgram() { return ProgramFolder(nullptr) + "child_sink"; }

int RunSink(const std::vector<std::string>& args, int64_t bytes) {
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    PlatChild* child = PlatStartChild(argv.data());
    if (!child) return -2;
    const std::vector<char> piece(1 << 16, 'z');
    for (int64_t left = bytes; left > 0; left -= int64_t(piece.size()))
        if (!PlatWriteChild(child, piece.data(), left < int64_t(piece.size()) ? left : int64_t(piece.size()))) break;
    return PlatFinishChild(child);
}
}  // namespace

TEST(Child, ArgumentsAndInputArriveAndTheExitCodeComesBack) {
    HeadlessSetProgramPath(nullptr);
    ASSERT_TRUE(PlatProgramAvailable(SinkProgram().c_str())) << SinkProgram();
    EXPECT_FALSE(PlatProgramAvailable("zentrix-no-such-program"));
    ScratchFolder dir;
    const std::string report = dir / "report.txt";
    const std::vector<std::string> args = {"plain", "with space", "quote\"inside", "ends\\", "a\\\\b \"c\"", "\\\"", ""};
    std::vector<std::string> argv = {SinkProgram(), report};
    argv.insert(argv.end(), args.begin(), args.end());
    EXPECT_EQ(RunSink(argv, 3 << 20), 7);
    std::string expected;
    for (const std::string& a : args) expected += a + "\n";
    EXPECT_EQ(ReadWholeFile(report), expected + std::to_string(3 << 20) + " bytes\n");
}

TEST(Child, AReaderThatStopsFailsTheWriteAndTheProgramGoesOn) {
    HeadlessSetProgramPath(nullptr);
    ScratchFolder dir;
    const std::string report = dir / "report.txt";
    EXPECT_EQ(RunSink({SinkProgram(), report, "--leave"}, int64_t(256) << 20), 7);
    EXPECT_EQ(ReadWholeFile(report), "--leave\n0 bytes\n");
    const char* missing[] = {"zentrix-no-such-program", nullptr};
    EXPECT_EQ(PlatStartChild(missing), nullptr);
}
