// platform/common/icon_design.h - the program's icon: the set's silhouette glowing on a dark
// blue tile, 48 x 48 pixels, the real axis running down as in the program's own pictures. The
// window shows it as it is; the desktop's icon files are made from it at build time.
#pragma once
#include <cstdint>

inline constexpr int IconSize = 48;

// One character per pixel; the key is in IconColour.
inline constexpr const char* IconMap[IconSize] = {
    ".......aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.......",
    "....aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa....",
    "...aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...",
    "..aaaaaaaaaaaaaaaaaaaabccbaaaaaaaaaaaaaaaaaaaa..",
    ".aaaaaaaaaaaaaaaaaaabbbccbbbaaaaaaaaaaaaaaaaaaa.",
    ".aaaaaaaaaaaaaaaaaaabbbddbbbaaaaaaaaaaaaaaaaaaa.",
    ".aaaaaaaaaaaaaaaaaabbbcffcbbbaaaaaaaaaaaaaaaaaa.",
    "aaaaaaaaaaaaaaaaaabbbbcddcbbbbaaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaaaabbbccddccbbbaaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaaaabbcccddcccbbaaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaaabbccccddccccbbaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaaabbcccdeedcccbbaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaaabcccdeffedcccbaaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaabcccddf##fddcccbaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaaacdedeee##eeededcaaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaaabcdeeef####feeedcbaaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaabbccef########feccbbaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaaabcccdf########fdcccbaaaaaaaaaaaaaa",
    "aaaaaaaaaaaaabbccdef########fedccbbaaaaaaaaaaaaa",
    "aaaaaaaaaaaabbcccdef########fedcccbbaaaaaaaaaaaa",
    "aaaaaaaaaaabbbcccddf########fddcccbbbaaaaaaaaaaa",
    "aaaaaaaaaabbbbcccdde########eddcccbbbbaaaaaaaaaa",
    "aaaaaaaaabbbbccccdddef####fedddccccbbbbaaaaaaaaa",
    "aaaaaaaaabbbbcccddeff######ffeddcccbbbbaaaaaaaaa",
    "aaaaaaaabbbbccddff############ffddccbbbbaaaaaaaa",
    "aaaaaaabbbbcdedef##############fededcbbbbaaaaaaa",
    "aaaaaaabbbbcefff################fffecbbbbaaaaaaa",
    "aaaaaabbbbccdf####################fdccbbbbaaaaaa",
    "aaaaaabbbcccdef##################fedcccbbbaaaaaa",
    "aaaaabbbcccdef####################fedcccbbbaaaaa",
    "aaaaabbccddddf####################fddddccbbaaaaa",
    "aaaaaccccefff######################fffeccccaaaaa",
    "aaaaadedde############################eddedaaaaa",
    "aaaaacdeef############################feedcaaaaa",
    "aaaaabceef############################feecbaaaaa",
    "aaaaabcdddffe######################effdddcbaaaaa",
    "aaaaaabbccdddf####################fdddccbbaaaaaa",
    "aaaaaabbbcccef####################fecccbbbaaaaaa",
    "aaaaaaabbbccdef##################fedccbbbaaaaaaa",
    "aaaaaaaabbbccdf##################fdccbbbaaaaaaaa",
    "aaaaaaaabbbcce##f##############f##eccbbbaaaaaaaa",
    ".aaaaaaaaabbdefeef####fddf####feefedbbaaaaaaaaa.",
    ".aaaaaaaaaabbddcdefefedccdefefedcddbbaaaaaaaaaa.",
    ".aaaaaaaaaaaabbccddccccccccccddccbbaaaaaaaaaaaa.",
    "..aaaaaaaaaaaaabbbbbbbbbbbbbbbbbbaaaaaaaaaaaaa..",
    "...aaaaaaaaaaaaaaabbbbbbbbbbbbaaaaaaaaaaaaaaa...",
    "....aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa....",
    ".......aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.......",
};

// 0xAARRGGBB: transparent corners, four blues from far to near, the glow at the edge, the set.
constexpr uint32_t IconColour(char c) {
    switch (c) {
    case 'a': return 0xFF0B1030;
    case 'b': return 0xFF1A2466;
    case 'c': return 0xFF2E4BB0;
    case 'd': return 0xFF4F8FE6;
    case 'e': return 0xFF9FD4FF;
    case 'f': return 0xFFFFF2C0;
    case '#': return 0xFF000000;
    default: return 0x00000000;
    }
}

// The pixel at (x, y) as 0xAARRGGBB.
constexpr uint32_t IconPixel(int x, int y) { return IconColour(IconMap[y][x]); }
