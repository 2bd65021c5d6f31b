// Files: full paths, folders, reads, and writes that replace a file whole or not at all.
#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <string>
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/file_size_limit.h"
#include "tests/files_test_util.h"

namespace {
const char Sep = PlatPathSeparator();

// A fresh folder per test, removed with everything in it afterwards.
class Files : public ::testing::Test {
protected:
    ScratchFolder Dir;
    std::string Folder() const { return Dir.Path.string(); }
    std::string At(const char* name) const { return Folder() + Sep + name; }
    int Entries() const { return (int)FolderEntries(Dir.Path).size(); }
    std::string Read(const std::string& path) const {
        char buf[4096];
        int64_t n = PlatReadFile(path.c_str(), buf, sizeof buf);
        return n < 0 ? std::string("<unreadable>") : std::string(buf, (size_t)n);
    }
};
}  // namespace

TEST(FullPath, ResolvesRelativeNamesAndDotsWithoutTheFileExisting) {
    // The root is "/" on POSIX, the current drive's "C:\" on Windows.
    const std::filesystem::path here = std::filesystem::current_path();
    const std::string cwd = here.string(), root = here.root_name().string() + Sep;
    char out[4096];
    ASSERT_TRUE(PlatFullPath("no_such_dir/./x/../z.exe", out, sizeof out));
    EXPECT_EQ(std::string(out), cwd + (cwd == root ? "" : std::string(1, Sep)) + "no_such_dir" + Sep + "z.exe");
    ASSERT_TRUE(PlatFullPath("/a//b/../../../c", out, sizeof out));
    EXPECT_EQ(std::string(out), root + "c");
    ASSERT_TRUE(PlatFullPath("/", out, sizeof out));
    EXPECT_EQ(std::string(out), root);
    EXPECT_FALSE(PlatFullPath("", out, sizeof out));
    EXPECT_FALSE(PlatFullPath("/abcdef", out, 5));   // does not fit
}

TEST_F(Files, ExistsMeansARegularFile) {
    EXPECT_FALSE(PlatFileExists(At("a").c_str()));
    ASSERT_TRUE(PlatWriteFile(At("a").c_str(), "x", 1));
    EXPECT_TRUE(PlatFileExists(At("a").c_str()));
    EXPECT_FALSE(PlatFileExists(Folder().c_str()));
    EXPECT_FALSE(PlatFileExists(Sep == '/' ? "/dev/null" : "NUL"));   // a device is no file
}

TEST_F(Files, CreateFolderMakesOneLevelAndAcceptsAnExistingFolder) {
    EXPECT_TRUE(PlatCreateFolder(At("Pictures").c_str()));
    EXPECT_TRUE(PlatCreateFolder(At("Pictures").c_str()));
    EXPECT_FALSE(PlatCreateFolder(At("x/y").c_str()));
    ASSERT_TRUE(PlatWriteFile(At("file").c_str(), "x", 1));
    EXPECT_FALSE(PlatCreateFolder(At("file").c_str()));
}

TEST_F(Files, FolderWritableMeansAFolderThatTakesFilesOrCanBeMadeInOne) {
    ASSERT_TRUE(PlatWriteFile(At("file").c_str(), "x", 1));
    const std::string deeper = At("new") + Sep + "deeper", underFile = At("file") + Sep + "x";
    const struct { std::string Path; bool Writable; } rows[] = {
        {Folder(), true}, {At("new"), true}, {deeper, false}, {At("file"), false}, {underFile, false}, {"", false},
    };
    for (const auto& r : rows) EXPECT_EQ(PlatFolderWritable(r.Path.c_str()), r.Writable) << r.Path;
    EXPECT_EQ(Entries(), 1);   // asking leaves nothing behind
}

TEST(UserPictures, IsAnAbsoluteFolderWithoutAFinalSeparator) {
    char folder[4096], full[4096];
    ASSERT_TRUE(PlatUserPicturesFolder(folder, sizeof folder));
    ASSERT_TRUE(PlatFullPath(folder, full, sizeof full));
    EXPECT_STREQ(folder, full);
    EXPECT_NE(folder[std::strlen(folder) - 1], Sep);
    EXPECT_FALSE(PlatUserPicturesFolder(folder, 4));   // does not fit
}

TEST_F(Files, ReadStopsAtTheLimitAndRefusesFolders) {
    ASSERT_TRUE(PlatWriteFile(At("t").c_str(), "0123456789", 10));
    char buf[16];
    EXPECT_EQ(PlatReadFile(At("t").c_str(), buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(PlatReadFile(At("t").c_str(), buf, sizeof buf), 10);
    EXPECT_EQ(PlatReadFile(At("missing").c_str(), buf, sizeof buf), -1);
    EXPECT_EQ(PlatReadFile(Folder().c_str(), buf, sizeof buf), -1);
    EXPECT_EQ(PlatReadFile(Sep == '/' ? "/dev/zero" : "NUL", buf, sizeof buf), -1);
}

TEST_F(Files, PiecesAreReadFromAnyOffsetAndTheSizeIsAFilesOnly) {
    ASSERT_TRUE(PlatWriteFile(At("t").c_str(), "0123456789", 10));
    EXPECT_EQ(PlatFileSize(At("t").c_str()), 10);
    EXPECT_EQ(PlatFileSize(At("missing").c_str()), -1);
    EXPECT_EQ(PlatFileSize(Folder().c_str()), -1);
    char buf[16] = {};
    EXPECT_EQ(PlatReadFileAt(At("t").c_str(), 3, buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "3456");
    EXPECT_EQ(PlatReadFileAt(At("t").c_str(), 8, buf, 4), 2);   // fewer at the end
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(PlatReadFileAt(At("t").c_str(), 10, buf, 4), 0);
    EXPECT_EQ(PlatReadFileAt(At("missing").c_str(), 0, buf, 4), -1);
    EXPECT_EQ(PlatReadFileAt(Folder().c_str(), 0, buf, 4), -1);
}

TEST_F(Files, WriteReplacesAnExistingFileAndLeavesNothingElse) {
    ASSERT_TRUE(PlatWriteFile(At("v.zxp").c_str(), "old contents", 12));
    ASSERT_TRUE(PlatWriteFile(At("v.zxp").c_str(), "new", 3));
    EXPECT_EQ(Read(At("v.zxp")), "new");
    ASSERT_TRUE(PlatWriteFile(At("empty").c_str(), nullptr, 0));
    EXPECT_EQ(Read(At("empty")), "");
    EXPECT_EQ(Entries(), 2);
}

TEST_F(Files, WriteCutOffHalfwayLeavesTheOldFileAndNoPartialOne) {
    ASSERT_TRUE(PlatWriteFile(At("v.png").c_str(), "old picture", 11));
    // A file-size limit makes the disk refuse the bytes part way through, as a full disk does.
    REQUIRE_FILE_SIZE_LIMIT(1000);
    std::string big(5000, 'p');
    const bool ok = bool(PlatWriteFile(At("v.png").c_str(), big.data(), (int64_t)big.size()));
    const bool okNew = bool(PlatWriteFile(At("fresh.png").c_str(), big.data(), (int64_t)big.size()));
    LiftFileSizeLimit();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(okNew);
    EXPECT_EQ(Read(At("v.png")), "old picture");
    EXPECT_FALSE(PlatFileExists(At("fresh.png").c_str()));
    EXPECT_EQ(Entries(), 1);
}

TEST_F(Files, WriteThatCannotReplaceItsTargetLeavesNothing) {
    ASSERT_TRUE(PlatCreateFolder(At("taken").c_str()));
    EXPECT_FALSE(PlatWriteFile(At("taken").c_str(), "x", 1));   // a folder is in the way
    EXPECT_FALSE(PlatWriteFile(At("no/such/folder").c_str(), "x", 1));
    EXPECT_TRUE(std::filesystem::is_directory(At("taken")));
    EXPECT_EQ(Entries(), 1);
}

TEST_F(Files, RenameReplacesTheTargetAndDeleteRemoves) {
    ASSERT_TRUE(PlatWriteFile(At("a").c_str(), "A", 1));
    ASSERT_TRUE(PlatWriteFile(At("b").c_str(), "B", 1));
    EXPECT_TRUE(PlatRenameFile(At("a").c_str(), At("b").c_str()));
    EXPECT_EQ(Read(At("b")), "A");
    EXPECT_FALSE(PlatFileExists(At("a").c_str()));
    EXPECT_FALSE(PlatRenameFile(At("a").c_str(), At("c").c_str()));
    EXPECT_TRUE(PlatDeleteFile(At("b").c_str()));
    EXPECT_FALSE(PlatDeleteFile(At("b").c_str()));
    EXPECT_EQ(Entries(), 0);
}

TEST_F(Files, FileWrittenInPiecesAppearsWholeOnlyWhenFinished) {
    ASSERT_TRUE(PlatWriteFile(At("v.png").c_str(), "old", 3));
    PlatFileWriter* f = PlatBeginFile(At("v.png").c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(PlatWriteBytes(f, "ne", 2));
    EXPECT_EQ(Read(At("v.png")), "old");   // nothing replaced while the pieces come
    ASSERT_TRUE(PlatWriteBytes(f, "w", 1));
    ASSERT_TRUE(PlatFinishFile(f));
    EXPECT_EQ(Read(At("v.png")), "new");
    f = PlatBeginFile(At("v.png").c_str());
    ASSERT_TRUE(PlatWriteBytes(f, "abandoned", 9));
    PlatAbandonFile(f);
    EXPECT_EQ(Read(At("v.png")), "new");
    EXPECT_EQ(Entries(), 1);
    EXPECT_EQ(PlatBeginFile(At("no/such/folder").c_str()), nullptr);
}

TEST_F(Files, EveryFailureIsToldInTheSystemsWordsAndLeavesNothing) {
    // Each failure in the words the system has for its kind; the same words for the same kind.
    enum Kind { Refused, DeviceFault, DiskFull, KindCount };
    const struct { FileStep Step; Kind Is; } rows[] = {
        {StepOpen, Refused},      {StepWrite, DeviceFault}, {StepSync, DeviceFault},
        {StepClose, DeviceFault}, {StepRename, Refused},    {FileStepCount, DiskFull},   // a full disk
    };
    std::string said[KindCount];
    for (const auto& r : rows) {
        if (r.Step == FileStepCount) HeadlessDiskFullAfter(0);
        else HeadlessFailFileStep(r.Step, 1);
        const std::string reason = PlatWriteFile(At("v").c_str(), "x", 1).Reason;
        HeadlessDiskFullAfter(-1);
        if (said[r.Is].empty()) said[r.Is] = reason;
        EXPECT_EQ(reason, said[r.Is]) << r.Step;
    }
    EXPECT_TRUE(!said[Refused].empty() && said[Refused] != said[DeviceFault] && said[DeviceFault] != said[DiskFull]);
    if (Sep == '/') {
        EXPECT_EQ(said[DiskFull], "No space left on device");
    }
    EXPECT_EQ(Entries(), 0);
    EXPECT_STRNE(PlatCreateFolder(At("x/y").c_str()).Reason, "");
    EXPECT_STREQ(PlatOutputPlaceUsable(Folder().c_str()).Reason, "it is a folder");
}
