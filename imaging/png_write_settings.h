// How the PNG writer compresses: zlib level, the row filters libpng may
// choose from, and zlib's strategy. Every field left at its default keeps
// libpng's own choice, which is what saveImageFile writes; the pixels read
// back are the same with any setting, only file size and time differ.
//
// kPngFastSettings is the setting for pictures written while the user
// waits (a new game's Pic.png): zlib level 1 with every row "up"-filtered.
// bench/bench_png_settings measured it on 12 and 24 MP photos about 7.5
// times as fast as libpng's defaults, for files 4..10 % larger; such files
// also read back a little faster. Level 2, or more filters to choose from,
// cost 10..20 % more time for 1..2 % smaller files; zlib's RLE and
// Huffman-only strategies save a little time but make photos half as large
// again.
#pragma once

namespace gz {

// Row filter set; the values are libpng's PNG_FILTER_* bits.
enum PngFilterBits : int {
    kPngFiltersDefault = 0,   // libpng's choice (all five for 8-bit colour, none for palettes)
    kPngFilterNone = 0x08,
    kPngFilterSub = 0x10,
    kPngFilterUp = 0x20,
    kPngFilterAverage = 0x40,
    kPngFilterPaeth = 0x80,
    kPngFiltersAll = 0xF8,
};

enum class PngStrategy : int {
    Default,       // libpng's choice (zlib's "filtered" strategy when rows are filtered)
    Plain,         // zlib's default strategy
    Filtered,      // Z_FILTERED
    HuffmanOnly,   // Z_HUFFMAN_ONLY
    Rle,           // Z_RLE
};

struct PngWriteSettings {
    int level = -1;                 // zlib level 0..9; -1 libpng's default (6)
    int filters = kPngFiltersDefault;
    PngStrategy strategy = PngStrategy::Default;
};

inline constexpr PngWriteSettings kPngDefaultSettings{};
inline constexpr PngWriteSettings kPngFastSettings{1, kPngFilterUp, PngStrategy::Default};

}  // namespace gz
