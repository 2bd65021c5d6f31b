// tests/app_pictures_test.cpp - where a save goes: beside a program whose folder takes files,
// else into Zentrix in the user's pictures folder, however the user's desktop names it.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include "tests/commands_util.h"
#include "tests/files_test_util.h"

namespace {
struct PicturesCase {
    const char* Name;
    bool        WritableProgramFolder;
    const char* Environment;   // XDG_PICTURES_DIR below the scratch folder, or null
    const char* UserDirs;      // the line in user-dirs.dirs ("@" stands for the scratch folder), or null
    const char* Expected;      // the folder of the saved files, below the scratch folder
};

const PicturesCase Cases[] = {
    {"Portable", true, nullptr, nullptr, "bin/Pictures/"},
    {"Environment", false, "env", "XDG_PICTURES_DIR=\"$HOME/Bilder\"", "env/Zentrix/"},
    {"UserDirsUnderHome", false, nullptr, "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_PICTURES_DIR=\"$HOME/Bil der\"",
     "home/Bil der/Zentrix/"},
    {"UserDirsAbsolute", false, nullptr, "XDG_PICTURES_DIR=\"@/photos\"", "photos/Zentrix/"},
    {"HomePictures", false, nullptr, nullptr, "home/Pictures/Zentrix/"},
};

void PrintTo(const PicturesCase& c, std::ostream* os) { *os << c.Name; }

class SaveFolder : public testing::TestWithParam<PicturesCase> {};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}
}  // namespace

TEST_P(SaveFolder, F9SavesWhereTheUserCanWrite) {
    const PicturesCase& c = GetParam();
    // Root writes anywhere; the user of an installed program does not.
    if (geteuid() == 0) {
        ASSERT_EQ(setgid(65534), 0);
        ASSERT_EQ(setuid(65534), 0);
    }
    ScratchFolder dir;
    std::filesystem::create_directories(dir.Path / "home/.config");
    std::filesystem::create_directory(dir.Path / "bin");
    setenv("HOME", (dir / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    if (c.Environment) setenv("XDG_PICTURES_DIR", (dir / c.Environment).c_str(), 1);
    else unsetenv("XDG_PICTURES_DIR");
    if (c.UserDirs) WriteWholeFile(dir / "home/.config/user-dirs.dirs", Replace(c.UserDirs, "@", dir.Path.string()) + "\n");
    if (!c.WritableProgramFolder) std::filesystem::permissions(dir.Path / "bin", std::filesystem::perms(0555));

    const std::string self = dir / "bin/zentrix";
    StartSmall(false, self.c_str());
    Press(VK_F1 + 8);
    PumpUntilPictureDone();
    const std::string stem = dir / (std::string(c.Expected) + "2026-01-02-03-04-05");
    EXPECT_EQ(std::string(Messages.MessageFileName), stem);
    EXPECT_EQ(HeadlessPixel(MessageStrip.Left + 2, MessageStrip.Top + 2), 0x00A000u);   // the green strip
    EXPECT_TRUE(std::filesystem::is_regular_file(stem + ".zxp"));
    EXPECT_TRUE(std::filesystem::is_regular_file(stem + ".png"));
    EXPECT_EQ(FolderEntries(dir.Path / "bin").empty(), !c.WritableProgramFolder);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFolder, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<PicturesCase>& info) { return info.param.Name; });
