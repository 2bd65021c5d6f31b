// files/params.cpp - saving the current view and loading a view named on the command line.
#include <cstdio>
#include <cstring>
#include "files/export.h"
#include "files/params.h"
#include "render/cycle.h"
#include "ui/message.h"

namespace {

// Lines 1 to 12 of a parameter file take well under a kilobyte; this leaves room for
// generous spacing while a stray huge file cannot exhaust memory.
constexpr int64_t LoadReadLimit = int64_t(1) << 20;

constexpr int PathCapacity = 512;   // a 255-character name plus an extension, with room to spare

// Names are single-byte texts of at most 255 characters; a longer one is cut.
void SetMessageFileName(const char* name) {
    size_t n = strnlen(name, sizeof Messages.MessageFileName - 1);
    std::memcpy(Messages.MessageFileName, name, n);
    Messages.MessageFileName[n] = '\0';
}

// The folder itself, without the separator it is stored with.
bool EnsurePicturesFolder(const char* picturesFolder) {
    char folder[PathCapacity];
    std::snprintf(folder, sizeof folder, "%s", picturesFolder);
    size_t n = std::strlen(folder);
    const char separator = PlatPathSeparator();
    while (n > 1 && folder[n - 1] == separator) folder[--n] = '\0';
    if (n == 0) return true;   // no folder: the current one
    return bool(PlatCreateFolder(folder));
}

}  // namespace

void SaveView(const char* picturesFolder) {
    char base[64];
    FormatSaveBaseName(PlatGetLocalTime(), base, sizeof base);
    char stem[PathCapacity];
    int stemLength = std::snprintf(stem, sizeof stem, "%s%s", picturesFolder, base);
    SetMessageFileName(stem);
    bool folderReady = EnsurePicturesFolder(picturesFolder);
    Messages.MessageCode = MsgSaveFailed;
    // A name cut to fit would put the files somewhere the message does not say.
    if (!folderReady || stemLength >= int(sizeof Messages.MessageFileName)) return;

    char text[ParamFileMaxBytes];
    int length = FormatParameterFile(View, Messages.MessageFileName, text, sizeof text);
    char path[PathCapacity];
    std::snprintf(path, sizeof path, "%s.zxp", Messages.MessageFileName);
    // The whole file reaches the disk or none of it, so a full disk reports a failed save.
    if (length < 0 || !PlatWriteFile(path, text, length)) return;
    Messages.MessageCode = MsgSaved;

    std::snprintf(path, sizeof path, "%s.png", Messages.MessageFileName);
    // A failed picture leaves the parameter file: it is complete on its own.
    if (!WriteScreenPng(path)) Messages.MessageCode = MsgSaveFailed;
}

void LoadParameterFile(const char* name) {
    if (Messages.LoadState == LoadDone) return;   // the first valid file of the command line wins
    Messages.LoadState = LoadFailed;
    SetMessageFileName(name);
    // One buffer for every load: a command line of many names costs no memory per name.
    static char text[LoadReadLimit];
    int64_t length = PlatReadFile(name, text, LoadReadLimit);
    if (length < 0) return;
    if (ParseParameterFile(text, length, &LoadedParams)) Messages.LoadState = LoadDone;
}
