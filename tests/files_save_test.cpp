// tests/files_save_test.cpp - SaveView: names, folders, both files, and failures that must
// be reported as failures without leaving partial files.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "app/app.h"
#include "files/export.h"
#include "files/params.h"
#include "tests/file_size_limit.h"
#include "tests/files_test_util.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "ui/message.h"

namespace {

constexpr PlatLocalTime SaveTime{2024, 3, 3, 9, 5, 7};

// A small window whose picture deflates badly, so its PNG is far larger than its
// parameter file.
void SetUpPicture(int w, int h) {
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    uint32_t x = 12345;
    for (int i = 0; i < w * h; ++i) {
        x = x * 1103515245u + 12345u;
        ScreenImage[i] = (x >> 8) & 0xFFFFFF;
    }
    CreateExportObjects();
}

void SetUpView() {
    View = ViewParams{};
    View.Center_zY = long128{0x1234, 0xFF80000000000000ull};
    View.ld_Zoom = -2;
    View.Iteration = View.Alt_Iteration = 500;
    View.Color = View.Alt_Color = 2.5;
    View.Automatic = View.FPU_Mode = 1;
}

void UsePicturesFolder(const std::string& folder) {
    std::snprintf(App.PicturesFolder, sizeof App.PicturesFolder, "%s%c", folder.c_str(), PlatPathSeparator());
    HeadlessSetLocalTime(SaveTime);
    Messages.MessageCode = 0;
}

// Every save test starts with a view, a 20 x 10 picture and a Pictures folder that does
// not exist yet inside a scratch folder.
class Saving : public testing::Test {
protected:
    void SetUp() override {
        SetUpView();
        SetUpPicture(20, 10);
        UsePicturesFolder(Pictures);
    }
    ScratchFolder Dir;
    const std::string Pictures = Dir / "Pictures";
};

}  // namespace

TEST_F(Saving, WritesBothFilesNamedAfterTheTimeAndCreatesTheFolder) {
    SetUpPicture(40, 30);
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 1);
    const std::string stem = Pictures + PlatPathSeparator() + "2024-03-03-09-05-07";
    EXPECT_EQ(std::string(Messages.MessageFileName), stem);
    EXPECT_EQ(FolderEntries(Pictures),
              (std::vector<std::string>{"2024-03-03-09-05-07.png", "2024-03-03-09-05-07.zxp"}));

    char expected[ParamFileMaxBytes];
    int n = FormatParameterFile(View, stem.c_str(), expected, sizeof expected);
    EXPECT_EQ(ReadWholeFile(stem + ".zxp"), std::string(expected, n));

    // What was saved loads back as the same view.
    Messages.LoadState = 0;
    LoadParameterFile((stem + ".zxp").c_str());
    EXPECT_EQ(Messages.LoadState, 1);
    EXPECT_EQ(std::memcmp(&LoadedParams.Center_zY, &View.Center_zY, sizeof(long128)), 0);
    EXPECT_EQ(LoadedParams.ld_Zoom, -2);
    EXPECT_EQ(LoadedParams.Color, 2.5);
}

TEST_F(Saving, ASecondSaveInTheSameSecondReplacesBothFiles) {
    SaveView(App.PicturesFolder);
    const std::string stem = Messages.MessageFileName;
    const std::string firstPng = ReadWholeFile(stem + ".png");
    View.Offset = 99;
    ScreenImage[0] ^= 0x00FFFFFF;
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 1);
    EXPECT_EQ(FolderEntries(Pictures).size(), 2u);
    EXPECT_NE(ReadWholeFile(stem + ".zxp").find("$00000063"), std::string::npos);
    EXPECT_NE(ReadWholeFile(stem + ".png"), firstPng);
}

TEST_F(Saving, MissingOrUnusableParentFolderFailsAndWritesNothing) {
    UsePicturesFolder(Dir / "missing/Pictures");
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_EQ(Messages.MessageFileName, App.PicturesFolder + std::string("2024-03-03-09-05-07"));
    EXPECT_TRUE(FolderEntries(Dir.Path).empty());

    WriteWholeFile(Dir / "plain-file", "x");   // a parent that is not a folder cannot take one
    UsePicturesFolder(Dir / "plain-file/Pictures");
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_EQ(FolderEntries(Dir.Path), std::vector<std::string>{"plain-file"});
}

TEST_F(Saving, ParameterFileThatCannotBeWrittenFailsWithoutAPicture) {
    std::filesystem::create_directories(Pictures + "/2024-03-03-09-05-07.zxp");   // the name is taken
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_EQ(FolderEntries(Pictures), std::vector<std::string>{"2024-03-03-09-05-07.zxp"});
}

TEST_F(Saving, FullDiskForTheParameterFileIsAFailureWithNoFileLeft) {
    REQUIRE_FILE_SIZE_LIMIT(100);   // a nearly full disk
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_TRUE(FolderEntries(Pictures).empty());
}

TEST_F(Saving, FullDiskForThePictureKeepsTheParameterFileAndNoPartialPicture) {
    SetUpPicture(64, 64);   // about 12 KB of noise
    REQUIRE_FILE_SIZE_LIMIT(4096);
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_EQ(FolderEntries(Pictures), std::vector<std::string>{"2024-03-03-09-05-07.zxp"});
}

TEST_F(Saving, PictureNameTakenByAFolderIsAFailure) {
    std::filesystem::create_directories(Dir / "Pictures/2024-03-03-09-05-07.png");
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_TRUE(std::filesystem::is_regular_file(Dir / "Pictures/2024-03-03-09-05-07.zxp"));
}

TEST_F(Saving, WithoutExportObjectsThePictureFails) {
    ReleaseExportObjects();
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_EQ(FolderEntries(Pictures), std::vector<std::string>{"2024-03-03-09-05-07.zxp"});
}

TEST_F(Saving, NameLongerThanTheMessageCanHoldIsRefused) {
    std::string folder = Dir / std::string(250 - Dir.Path.string().size(), 'p');
    std::filesystem::create_directories(folder);
    UsePicturesFolder(folder);   // 251 characters with the separator, 270 with the time
    SaveView(App.PicturesFolder);
    EXPECT_EQ(Messages.MessageCode, 2);
    EXPECT_TRUE(FolderEntries(folder).empty());
}
