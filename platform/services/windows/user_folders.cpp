// platform/services/windows/user_folders.cpp - the user's own folder for pictures on Windows.
#include <cstdio>
#include <cstring>
#include "platform/win32/win32.h"
#include <shlobj.h>

// The known folder Pictures, wherever the user has moved it; it need not exist yet.
bool PlatUserPicturesFolder(char* out, int outSize) {
    char path[MAX_PATH];
    if (!out || outSize <= 0 ||
        SHGetFolderPathA(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return false;
    size_t n = std::strlen(path);
    if (n > 3 && (path[n - 1] == '\\' || path[n - 1] == '/')) path[--n] = 0;
    return n > 0 && std::snprintf(out, (size_t)outSize, "%s", path) < outSize;
}
