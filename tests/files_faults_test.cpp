// tests/files_faults_test.cpp - saves while the file system fails at each step: every one is
// reported as failed, leaves no partial file and keeps the files saved before under its name.
#include <gtest/gtest.h>
#include "files/params.h"
#include "tests/commands_util.h"
#include "tests/files_test_util.h"

namespace {
enum Stage { NothingWritten, ViewWritten };   // how far a save gets before its fault

struct Fault {
    FileStep Step;
    int           Nth;        // which call of the step fails; 0 with DiskRoom instead
    int64_t       DiskRoom;   // bytes past the parameter file's length the disk still takes
    Stage         Reached;
};
}  // namespace

TEST(FileFaults, EverySaveThatFailsSaysSoAndKeepsTheEarlierFiles) {
    ScratchFolder dir;
    const std::string self = dir / "zentrix";
    StartSmall(false, self.c_str());
    const std::string stem = dir / "Pictures/2026-01-02-03-04-05";
    const auto Save = [] {
        Press('9');
        PumpUntilPictureDone();
    };
    Save();                                    // the earlier files
    ASSERT_EQ(FolderEntries(dir / "Pictures"),
              (std::vector<std::string>{"2026-01-02-03-04-05.png", "2026-01-02-03-04-05.zxp"}));
    const int64_t viewBytes = int64_t(ReadWholeFile(stem + ".zxp").size());
    constexpr int64_t NoLimit = -1;
    const Fault faults[] = {
        {StepCreateFolder, 1, NoLimit, NothingWritten},
        {StepOpen, 1, NoLimit, NothingWritten},   {StepOpen, 2, NoLimit, ViewWritten},
        {StepWrite, 1, NoLimit, NothingWritten},  {StepWrite, 2, NoLimit, ViewWritten},
        {StepWrite, 9, NoLimit, ViewWritten},     // inside the picture's data
        {StepSync, 1, NoLimit, NothingWritten},   {StepSync, 2, NoLimit, ViewWritten},
        {StepClose, 1, NoLimit, NothingWritten},  {StepClose, 2, NoLimit, ViewWritten},
        {StepRename, 1, NoLimit, NothingWritten}, {StepRename, 2, NoLimit, ViewWritten},
        {StepWrite, 0, -viewBytes, NothingWritten}, {StepWrite, 0, -1, NothingWritten},
        {StepWrite, 0, 0, ViewWritten},           {StepWrite, 0, 40, ViewWritten},
        {StepWrite, 0, 3000, ViewWritten},
    };
    int injected = 0;
    for (const Fault& f : faults) {
        const std::string view = ReadWholeFile(stem + ".zxp"), picture = ReadWholeFile(stem + ".png");
        Press('M');                           // a new colour scale: both new files would differ
        PumpUntilPictureDone();
        if (f.Nth > 0) HeadlessFailFileStep(f.Step, f.Nth);
        else HeadlessDiskFullAfter(viewBytes + f.DiskRoom);
        Save();
        HeadlessDiskFullAfter(-1);
        SCOPED_TRACE(testing::Message() << "step " << f.Step << " call " << f.Nth << " room " << f.DiskRoom);
        EXPECT_EQ(HeadlessInjectedFaults(), ++injected);
        EXPECT_EQ(StripFill(), RedStrip);
        EXPECT_EQ(FolderEntries(dir / "Pictures"),
                  (std::vector<std::string>{"2026-01-02-03-04-05.png", "2026-01-02-03-04-05.zxp"}));
        EXPECT_TRUE(ReadWholeFile(stem + ".png") == picture);
        const std::string nowView = ReadWholeFile(stem + ".zxp");
        if (f.Reached == NothingWritten) {
            EXPECT_TRUE(nowView == view);
        } else {
            ViewParams back{};
            EXPECT_NE(nowView, view);            // the new parameter file, whole
            ASSERT_TRUE(ParseParameterFile(nowView.data(), int64_t(nowView.size()), &back));
            EXPECT_EQ(back.Color, View.Color);
        }
    }
    // Without faults the next save succeeds again.
    Save();
    EXPECT_EQ(StripFill() & 0x00FF00, 0x00A000u);
}
