#include "synthetic_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gz::bench {

namespace {

uint8_t clampByte(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

struct Random {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    double unit() { return (next() >> 8) / 16777216.0; }
};

}  // namespace

RasterImage syntheticPhoto(int width, int height, unsigned seed)
{
    RasterImage img;
    img.create(24, width, height, 0u);
    Random rnd{seed * 2654435761u + 1};
    // A few soft discs stand for objects: their rims are the photo's edges.
    struct Disc { double x, y, r, shade; };
    Disc discs[12];
    for (Disc& d : discs)
        d = {rnd.unit() * width, rnd.unit() * height, (0.05 + 0.2 * rnd.unit()) * std::min(width, height),
             rnd.unit() * 90 - 45};
    const double fx = 6.283 / width, fy = 6.283 / height;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = img.row(y);
        for (int x = 0; x < width; ++x) {
            double light = 0;
            for (const Disc& d : discs) {
                const double dx = x - d.x, dy = y - d.y;
                if (dx * dx + dy * dy < d.r * d.r)
                    light += d.shade;
            }
            const int noise = static_cast<int>(rnd.next() >> 28) - 8;
            const double sky = 60 * std::sin(x * fx * 1.3 + 0.5) * std::cos(y * fy * 0.7);
            row[3 * x + 0] = clampByte(110 + sky + light + 40 * std::sin(y * fy * 2.1) + noise);
            row[3 * x + 1] = clampByte(120 + 0.6 * sky + light + 30 * std::cos(x * fx * 1.7) + noise);
            row[3 * x + 2] = clampByte(100 - 0.5 * sky + light + 35 * std::sin((x + y) * fx) + noise);
        }
    }
    return img;
}

RasterImage syntheticDrawing(int width, int height, unsigned seed)
{
    RasterImage img;
    img.create(24, width, height, 0xF4EEDCu);
    Random rnd{seed * 2246822519u + 7};
    static const uint32_t kInks[] = {0xD62828, 0x1D3557, 0x2A9D8F, 0xF4A261, 0x264653, 0xFFFFFF};
    for (int i = 0; i < 40; ++i) {
        const int w = static_cast<int>(rnd.unit() * width / 3) + 1;
        const int h = static_cast<int>(rnd.unit() * height / 3) + 1;
        img.fillRect(static_cast<int>(rnd.unit() * (width - w)), static_cast<int>(rnd.unit() * (height - h)), w, h,
                     kInks[rnd.next() % 6]);
    }
    for (int i = 0; i < 60; ++i) {
        const RasterPoint line[2] = {
            {static_cast<int32_t>(rnd.unit() * width), static_cast<int32_t>(rnd.unit() * height)},
            {static_cast<int32_t>(rnd.unit() * width), static_cast<int32_t>(rnd.unit() * height)}};
        img.fillPolygon(line, 2, 0x111111);
    }
    return img;
}

}  // namespace gz::bench
