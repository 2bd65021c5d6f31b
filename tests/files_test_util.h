// tests/files_test_util.h - scratch folders and file reads for the file tests.
#pragma once
#include <algorithm>
#include <cstring>
#include <png.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed by the destructor.
struct ScratchFolder {
    std::filesystem::path Path;
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zentrix-files-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        Path = mkdtemp(name.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
    std::string operator/(const std::string& leaf) const { return (Path / leaf).string(); }
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Names in a folder, sorted, so a test can say exactly what a save left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A PNG file decoded by libpng; pixels only for 8-bit RGB.
struct Decoded {
    uint32_t Width = 0, Height = 0;
    int BitDepth = 0, ColorType = 0, Interlace = 0;
    std::vector<uint32_t> Pixels;   // 0x00RRGGBB
};

inline uint32_t BigEndian32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
           uint8_t(s[at + 3]);
}

// The header fields come straight from the IHDR bytes; the pixels from libpng.
inline bool Decode(const std::string& file, Decoded* d) {
    if (file.size() < 33 || file.compare(12, 4, "IHDR") != 0) return false;
    d->Width = BigEndian32(file, 16);
    d->Height = BigEndian32(file, 20);
    d->BitDepth = uint8_t(file[24]);
    d->ColorType = uint8_t(file[25]);
    d->Interlace = uint8_t(file[28]);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    d->Pixels.clear();
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) d->Pixels.push_back(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    return true;
}
