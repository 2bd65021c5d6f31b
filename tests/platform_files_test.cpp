// Files on a POSIX system: full paths, folders, reads, and writes that replace a file
// whole or not at all.
#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/platform.h"

namespace {
// A fresh folder per test, removed with everything in it afterwards.
class Files : public ::testing::Test {
protected:
    std::string Dir;
    void SetUp() override {
        char tmpl[] = "/tmp/zentrix_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        Dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + Dir + "'").c_str()); }
    std::string At(const char* name) const { return Dir + "/" + name; }
    int Entries() const {
        int n = 0;
        DIR* d = opendir(Dir.c_str());
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
        return n;
    }
    std::string Read(const std::string& path) const {
        char buf[4096];
        int64_t n = PlatReadFile(path.c_str(), buf, sizeof buf);
        return n < 0 ? std::string("<unreadable>") : std::string(buf, (size_t)n);
    }
};
}  // namespace

TEST(FullPath, ResolvesRelativeNamesAndDotsWithoutTheFileExisting) {
    char cwd[4096], out[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_TRUE(PlatFullPath("no_such_dir/./x/../z.exe", out, sizeof out));
    EXPECT_EQ(std::string(out), std::string(cwd) + (std::string(cwd) == "/" ? "" : "/") + "no_such_dir/z.exe");
    ASSERT_TRUE(PlatFullPath("/a//b/../../../c", out, sizeof out));
    EXPECT_STREQ(out, "/c");
    ASSERT_TRUE(PlatFullPath("/", out, sizeof out));
    EXPECT_STREQ(out, "/");
    EXPECT_FALSE(PlatFullPath("", out, sizeof out));
    EXPECT_FALSE(PlatFullPath("/abcdef", out, 5));   // does not fit
}

TEST_F(Files, ExistsMeansARegularFile) {
    EXPECT_FALSE(PlatFileExists(At("a").c_str()));
    ASSERT_TRUE(PlatWriteFile(At("a").c_str(), "x", 1));
    EXPECT_TRUE(PlatFileExists(At("a").c_str()));
    EXPECT_FALSE(PlatFileExists(Dir.c_str()));
}

TEST_F(Files, CreateFolderMakesOneLevelAndAcceptsAnExistingFolder) {
    EXPECT_TRUE(PlatCreateFolder(At("Pictures").c_str()));
    EXPECT_TRUE(PlatCreateFolder(At("Pictures").c_str()));
    EXPECT_FALSE(PlatCreateFolder(At("x/y").c_str()));
    ASSERT_TRUE(PlatWriteFile(At("file").c_str(), "x", 1));
    EXPECT_FALSE(PlatCreateFolder(At("file").c_str()));
}

TEST_F(Files, ReadStopsAtTheLimitAndRefusesFolders) {
    ASSERT_TRUE(PlatWriteFile(At("t").c_str(), "0123456789", 10));
    char buf[16];
    EXPECT_EQ(PlatReadFile(At("t").c_str(), buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(PlatReadFile(At("t").c_str(), buf, sizeof buf), 10);
    EXPECT_EQ(PlatReadFile(At("missing").c_str(), buf, sizeof buf), -1);
    EXPECT_EQ(PlatReadFile(Dir.c_str(), buf, sizeof buf), -1);
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
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string big(5000, 'p');
    bool ok = PlatWriteFile(At("v.png").c_str(), big.data(), (int64_t)big.size());
    bool okNew = PlatWriteFile(At("fresh.png").c_str(), big.data(), (int64_t)big.size());
    setrlimit(RLIMIT_FSIZE, &saved);
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
    struct stat st;
    EXPECT_EQ(stat(At("taken").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
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
