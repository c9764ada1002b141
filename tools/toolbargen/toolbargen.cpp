// Build-time tool: draws the toolbar's image strip (15 images of 16x15,
// 0xC0C0C0 = transparent), the browse-button bitmap and the image of the
// game master's window button (16x15, beside the strip) as 24-bit BMP files.
//   gz_toolbargen <toolbar.bmp> <browse.bmp> <control.bmp>
// The images are pixel art held here as text, one character per pixel.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

uint32_t colourOf(char c)
{
    switch (c) {
    case 'k': return 0x000000;
    case 'w': return 0xFFFFFF;
    case 's': return 0xE0E0E0;
    case 'g': return 0x808080;
    case 'd': return 0x404040;
    case 'r': return 0xE02020;
    case 'R': return 0x901010;
    case 'G': return 0x20B020;
    case 'D': return 0x106010;
    case 'b': return 0x3060E0;
    case 'B': return 0x102080;
    case 'y': return 0xFFE040;
    case 'o': return 0xE08000;
    case 'c': return 0x80E0FF;
    default: return 0xC0C0C0;   // '.', transparent
    }
}

constexpr int W = 16, H = 15;
using Art = const char* [H];

// In toolbar order: new, save, full screen, pin, stop 1, stop 2, start,
// uncover, (selector place), move points, draw polygon, delete, undo,
// redo, info.
constexpr int kImageCount = 15;
const Art kImages[kImageCount] = {
    {"..kkkkkkkk......", "..kwwwwwwkk.....", "..kwwwwwwkwk....", "..kwwwwwwkkkk...",
     "..kwwwwwwwwwk...", "..kwwwwwwwwwk.y.", "..kwwwwwwwwwkyyy", "..kwwwwwwwwwk.y.",
     "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...",
     "..kwwwwwwwwwk...", "..kkkkkkkkkkk...", "................"},
    {"kkkkkkkkkkkkkk..", "kBkssssssssskBk.", "kBkssssssssskBk.", "kBkssssssssskBk.",
     "kBkssssssssskBk.", "kBkssssssssskBk.", "kBBkkkkkkkkkBBk.", "kBBBBBBBBBBBBBk.",
     "kBBkkkkkkkkkBBk.", "kBBkggkwwwwkBBk.", "kBBkggkwwwwkBBk.", "kBBkggkwwwwkBBk.",
     "kBBkggkwwwwkBBk.", ".kkkkkkkkkkkkkk.", "................"},
    {"kkkk......kkkk..", "kk..........kk..", "k.k........k.k..", "k..k......k..k..",
     "....kkkkkkk.....", "....kbbbbbk.....", "....kbcbbbk.....", "....kbbbbbk.....",
     "....kbbbbbk.....", "....kkkkkkk.....", "k..k......k..k..", "k.k........k.k..",
     "kk..........kk..", "kkkk......kkkk..", "................"},
    {"......rrrr......", ".....rRRRRr.....", ".....rRwRRr.....", ".....rRRRRr.....",
     "......rRRr......", "......rRRr......", "......rRRr......", "....rrrrrrrr....",
     "....RRRRRRRR....", ".......g........", ".......g........", ".......g........",
     ".......g........", ".......g........", "................"},
    {".....rrrrrr.....", "....rwwwwwwr....", "...rwrrrrrrwr...", "..rwrrrrwrrrwr..",
     "..rwrrrwwrrrwr..", "..rwrrrrwrrrwr..", "..rwrrrrwrrrwr..", "..rwrrrrwrrrwr..",
     "..rwrrrrwrrrwr..", "..rwrrrwwwrrwr..", "...rwrrrrrrwr...", "....rwwwwwwr....",
     ".....rrrrrr.....", "................", "................"},
    {".....rrrrrr.....", "....rwwwwwwr....", "...rwrrrrrrwr...", "..rwrrwwwrrrwr..",
     "..rwrrrrrwrrwr..", "..rwrrrrrwrrwr..", "..rwrrrrwrrrwr..", "..rwrrrwrrrrwr..",
     "..rwrrwrrrrrwr..", "..rwrrwwwwrrwr..", "...rwrrrrrrwr...", "....rwwwwwwr....",
     ".....rrrrrr.....", "................", "................"},
    {"...kk...........", "...kGk..........", "...kGGk.........", "...kGGGk........",
     "...kGGGGk.......", "...kGGGGGk......", "...kGGGGGGk.....", "...kGGGGGGGk....",
     "...kGGGGGGk.....", "...kGGGGGk......", "...kGGGGk.......", "...kGGGk........",
     "...kGGk.........", "...kkk..........", "................"},
    {"................", "................", ".....kkkkkk.....", "...kkwwwwwwkk...",
     "..kwwwwkkwwwwk..", ".kwwwwkbbkwwwwk.", "kwwwwkbkkbkwwwwk", "kwwwwkbkkbkwwwwk",
     ".kwwwwkbbkwwwwk.", "..kwwwwkkwwwwk..", "...kkwwwwwwkk...", ".....kkkkkk.....",
     "................", "................", "................"},
    {"................", "................", "................", "................",
     "................", "................", "................", "................",
     "................", "................", "................", "................",
     "................", "................", "................"},
    {".......k........", "......kkk.......", ".....k.k.k......", ".......k........",
     "...k...k...k....", "..kk...k...kk...", ".kkkkkkkkkkkkk..", "..kk...k...kk...",
     "...k...k...k....", ".......k........", ".....k.k.k......", "......kkk.......",
     ".......k........", "................", "................"},
    {"................", "..rr............", "..rrkkkkkkkrr...", "..k.........rr..",
     ".k...........k..", ".k...........k..", "k............k..", "k...........k...",
     "k..........k....", ".k........k.....", ".k.......rr.....", "..kkkkkkkrr.....",
     "..rr............", "..rr............", "................"},
    {"................", ".rr.........rr..", ".rrr.......rrr..", "..rrr.....rrr...",
     "...rrr...rrr....", "....rrr.rrr.....", ".....rrrrr......", "......rrr.......",
     ".....rrrrr......", "....rrr.rrr.....", "...rrr...rrr....", "..rrr.....rrr...",
     ".rrr.......rrr..", ".rr.........rr..", "................"},
    {"................", "................", "....k...........", "...kbk..........",
     "..kbbkkkkkkk....", ".kbbbbbbbbbbk...", "..kbbkkkkkkbbk..", "...kbk.....kbbk.",
     "....k.......kbk.", "............kbk.", "...........kbbk.", "......kkkkkbbk..",
     "......kbbbbbk...", "......kkkkkk....", "................"},
    {"................", "................", "...........k....", "..........kbk...",
     "....kkkkkkkbbk..", "...kbbbbbbbbbbk.", "..kbbkkkkkkbbk..", ".kbbk.....kbk...",
     ".kbk.......k....", ".kbk............", ".kbbk...........", "..kbbkkkkk......",
     "...kbbbbbk......", "....kkkkkk......", "................"},
    {"......bbbb......", "....bbbbbbbb....", "...bbbbwwbbbb...", "..bbbbbwwbbbbb..",
     "..bbbbbbbbbbbb..", ".bbbbbwwwbbbbbb.", ".bbbbbbwwbbbbbb.", ".bbbbbbwwbbbbbb.",
     ".bbbbbbwwbbbbbb.", "..bbbbbwwbbbbb..", "..bbbbwwwwbbbb..", "...bbbbbbbbbb...",
     "....bbbbbbbb....", "......bbbb......", "................"},
};

// Browse button: an open folder with dots, 16x14.
const char* const kBrowse[14] = {
    "................", "................", ".kkkk...........", "kyyyyk..........",
    "kyyyyykkkkkkk...", "kyyyyyyyyyyyk...", "kyykkkkkkkkkkkk.", "kyk.oooooooook..",
    "kykoooooooook...", "kk.ooooooook....", "kkooooooook.....", "kkkkkkkkkk......",
    "................", "................",
};

// The game master's window: a small screen with a person in front of it.
const char* const kControl[H] = {
    "kkkkkkkkkkkkkk..", "kcccccccccccck..", "kcwwwwwwccccck..", "kcccccccccccck..",
    "kcwwwwwwwwwcck..", "kcccccccccccck..", "kcwwwwcccccyyk..", "kccccccccccyyyy.",
    "kkkkkkkkkkkyyyy.", "......kk..yyyyyy", "....kkkkkkyyyyyy", "..........oooooo",
    "..........oooooo", "..........oooooo", "................",
};

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF); put16(v, x >> 16); }

bool writeBmp(const char* path, int w, int h, const std::vector<uint32_t>& pixels)
{
    const int stride = (3 * w + 3) & ~3;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + stride * h);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, stride * h);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {   // bottom-up
        for (int x = 0; x < w; ++x) {
            uint32_t c = pixels[y * w + x];
            out.push_back(c & 0xFF);
            out.push_back((c >> 8) & 0xFF);
            out.push_back((c >> 16) & 0xFF);
        }
        for (int p = 3 * w; p < stride; ++p)
            out.push_back(0);
    }
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: gz_toolbargen toolbar.bmp browse.bmp control.bmp\n");
        return 2;
    }
    const int stripW = W * kImageCount;
    std::vector<uint32_t> strip(stripW * H);
    for (int i = 0; i < kImageCount; ++i)
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const char* row = kImages[i][y];
                char c = static_cast<int>(std::strlen(row)) > x ? row[x] : '.';
                strip[y * stripW + i * W + x] = colourOf(c);
            }
    std::vector<uint32_t> browse(16 * 14);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 16; ++x)
            browse[y * 16 + x] = colourOf(kBrowse[y][x]);
    std::vector<uint32_t> control(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const char* row = kControl[y];
            control[y * W + x] = colourOf(static_cast<int>(std::strlen(row)) > x ? row[x] : '.');
        }
    if (!writeBmp(argv[1], stripW, H, strip) || !writeBmp(argv[2], 16, 14, browse) ||
        !writeBmp(argv[3], W, H, control)) {
        std::fprintf(stderr, "gz_toolbargen: cannot write the bitmaps\n");
        return 1;
    }
    return 0;
}
