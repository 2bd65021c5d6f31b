// tests/files_test_util.h - scratch folders, file reads and PNG decoding for the file tests.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#include "files/params.h"

// A fresh folder under the system's temporary folder, removed by the destructor.
struct ScratchFolder {
    std::filesystem::path Path;
    ScratchFolder() {
        std::random_device seed;
        std::mt19937_64 draw(seed());
        const auto temp = std::filesystem::temp_directory_path();
        do Path = temp / ("zentrix-files-" + std::to_string(draw()));
        while (!std::filesystem::create_directory(Path));
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

// A view file's text, a view file, and the view the program starts with.
inline std::string ViewText(const ViewParams& v) {
    char text[ParamFileMaxBytes];
    const int n = FormatParameterFile(v, "test view", text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}
inline void WriteView(const std::string& path, const ViewParams& v) { WriteWholeFile(path, ViewText(v)); }
inline ViewParams HomeView() {
    ViewParams v{};
    v.Center_zY = long128{0, 0xFF80000000000000ull};   // -0.5
    v.Iteration = v.Alt_Iteration = 256;
    v.Color = v.Alt_Color = 4.0;
    v.Automatic = v.FPU_Mode = 1;
    return v;
}

// Names in a folder, sorted, so a test can say exactly what a save left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A PNG file decoded by stb_image, a decoder of its own; pixels only for 8-bit RGB.
struct Decoded {
    uint32_t Width = 0, Height = 0;
    int BitDepth = 0, ColourType = 0, Interlace = 0;
    std::vector<uint32_t> Pixels;   // 0x00RRGGBB
};
constexpr int PngTruecolour = 2, PngNoInterlace = 0;   // IHDR's colour type and interlace method

inline uint32_t BigEndian32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
           uint8_t(s[at + 3]);
}

// The header fields come straight from the IHDR bytes; the pixels from the decoder.
inline bool Decode(const std::string& file, Decoded* d) {
    if (file.size() < 33 || file.compare(12, 4, "IHDR") != 0) return false;
    d->Width = BigEndian32(file, 16);
    d->Height = BigEndian32(file, 20);
    d->BitDepth = uint8_t(file[24]);
    d->ColourType = uint8_t(file[25]);
    d->Interlace = uint8_t(file[28]);
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()), int(file.size()), &w, &h,
                                         &channels, 3);
    if (!rgb) return false;
    const bool sized = uint32_t(w) == d->Width && uint32_t(h) == d->Height;
    d->Pixels.clear();
    for (size_t i = 0; sized && i < size_t(w) * size_t(h) * 3; i += 3)
        d->Pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    stbi_image_free(rgb);
    return sized;
}
