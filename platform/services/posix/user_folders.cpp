// platform/services/posix/user_folders.cpp - the user's own folder for pictures on a freedesktop system.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>
#include "platform/platform.h"

namespace {
constexpr int64_t UserDirsMaxBytes = 64 * 1024;   // a few lines; more is not a settings file

bool Absolute(const char* path) { return path && path[0] == '/'; }

// The environment's HOME, else the account's home folder.
bool HomeFolder(char (&home)[PlatPathCapacity]) {
    const char* env = std::getenv("HOME");
    if (!Absolute(env)) {
        passwd entry, *found = nullptr;
        char strings[PlatPathCapacity];
        if (getpwuid_r(getuid(), &entry, strings, sizeof strings, &found) != 0 || !found) return false;
        env = found->pw_dir;
        if (!Absolute(env)) return false;
    }
    return std::snprintf(home, sizeof home, "%s", env) < (int)sizeof home;
}

// The value of XDG_PICTURES_DIR in user-dirs.dirs: a line XDG_PICTURES_DIR="$HOME/Name" or
// XDG_PICTURES_DIR="/absolute/path", backslash escaping the next character.
bool FromUserDirs(const char* text, int64_t length, const char* home, char (&out)[PlatPathCapacity]) {
    static const char Key[] = "XDG_PICTURES_DIR=\"";
    const char* end = text + length;
    for (const char* line = text; line < end;) {
        const char* next = static_cast<const char*>(std::memchr(line, '\n', (size_t)(end - line)));
        if (!next) next = end;
        const char* p = line;
        while (p < next && (*p == ' ' || *p == '\t')) p++;
        if (next - p > (long)sizeof Key - 1 && std::strncmp(p, Key, sizeof Key - 1) == 0) {
            p += sizeof Key - 1;
            int n = 0;
            if (next - p >= 5 && std::strncmp(p, "$HOME", 5) == 0) {
                n = std::snprintf(out, sizeof out, "%s", home);
                p += 5;
            } else if (p >= next || *p != '/') {
                return false;   // neither form: the file is not one this reader knows
            }
            for (; p < next && *p != '"' && n < PlatPathCapacity - 1; p++) {
                if (*p == '\\' && p + 1 < next) p++;
                out[n++] = *p;
            }
            out[n] = 0;
            return p < next && *p == '"';
        }
        line = next + 1;
    }
    return false;
}
}  // namespace

bool PlatUserPicturesFolder(char* out, int outSize) {
    if (!out || outSize <= 0) return false;
    char home[PlatPathCapacity], folder[PlatPathCapacity] = "";
    if (!HomeFolder(home)) return false;
    const char* env = std::getenv("XDG_PICTURES_DIR");
    if (Absolute(env)) {
        std::snprintf(folder, sizeof folder, "%s", env);
    } else {
        char config[2 * PlatPathCapacity];
        const char* configHome = std::getenv("XDG_CONFIG_HOME");
        if (Absolute(configHome)) std::snprintf(config, sizeof config, "%.4095s/user-dirs.dirs", configHome);
        else std::snprintf(config, sizeof config, "%s/.config/user-dirs.dirs", home);
        std::vector<char> text(UserDirsMaxBytes);
        const int64_t length = PlatReadFile(config, text.data(), UserDirsMaxBytes);
        if (length <= 0 || !FromUserDirs(text.data(), length, home, folder)) {
            if (std::strlen(home) + sizeof "/Pictures" > sizeof folder) return false;
            std::memcpy(folder, home, std::strlen(home));
            std::memcpy(folder + std::strlen(home), "/Pictures", sizeof "/Pictures");
        }
    }
    size_t n = std::strlen(folder);
    while (n > 1 && folder[n - 1] == '/') folder[--n] = 0;
    if ((int)n >= outSize) return false;
    std::memcpy(out, folder, n + 1);
    return true;
}
