// Picture format detection from the first bytes of a file. Only the first
// 64 bytes count; a shorter head is tested on what there is. The tests run
// in a fixed order and a later match replaces an earlier one, so a "BM" file
// that mentions "JFIF" early on is taken for JPEG. The container tests of
// WebP ("RIFF" size "WEBP") and HEIF/AVIF (an ISO "ftyp" box naming one of
// their brands) come last: their signatures are exact, and the text
// searches that run before them also hit their binary headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gz {

enum ImageFormat : int {
    kImageFormatUnknown = -1,
    kImageFormatBmp = 0,
    kImageFormatJpeg = 1,
    kImageFormatGif = 2,
    kImageFormatPng = 3,
    kImageFormatTiff = 4,
    kImageFormatXpm = 5,
    kImageFormatXwd = 6,
    kImageFormatPnm = 7,
    kImageFormatEps = 8,
    kImageFormatTls = 9,
    kImageFormatIco = 10,
    kImageFormatWebp = 11,
    kImageFormatHeif = 12,   // HEIC and other HEIF files
    kImageFormatAvif = 13,
};

// Number of format codes (0 .. kImageFormatCount - 1).
constexpr int kImageFormatCount = 14;

constexpr std::size_t kFormatProbeSize = 64;

// Format code of a file starting with head[0..size), kImageFormatUnknown
// when no test matches (also for size 0).
int detectImageFormat(const uint8_t* head, std::size_t size);

// Every format whose test matches, the winner first, then the earlier
// matches from the latest back, each format once. The text searches
// ("XPM", "char", "JFIF") also hit the pixels or text chunks of binary
// pictures, so the loader falls back on these when the winner's reader
// refuses the file.
struct FormatCandidates {
    int formats[kImageFormatCount] = {};
    int count = 0;
};
FormatCandidates detectImageFormatCandidates(const uint8_t* head, std::size_t size);

}  // namespace gz
