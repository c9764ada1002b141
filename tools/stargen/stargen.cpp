// Generates the board's star images: a faceted golden five-pointed star,
// 32 bits per pixel with alpha, in the three sizes the board uses
// (100 x 95, 75 x 71, 50 x 47). Each is written as a Windows BMP file image
// (file header, 40-byte info header, bottom-up BGRA rows), the form the
// program's bitmap resources take.
//
// usage: stargen <output folder>   writes star_large.bmp, star_medium.bmp,
//                                  star_small.bmp
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 8;   // per axis and pixel

struct Vec {
    double x, y;
};

struct Star {
    double cx, cy, outer, inner;
    Vec v[10];   // tips at even indexes, top tip first, clockwise
};

Star makeStar(int w, int h)
{
    Star s{};
    // A regular star is 1.902 R wide and 1.809 R high; leave a pixel of rim.
    const double rw = (w - 2.0) / (2.0 * std::sin(72.0 * kPi / 180.0));
    const double rh = (h - 2.0) / (1.0 + std::cos(36.0 * kPi / 180.0));
    s.outer = rw < rh ? rw : rh;
    s.inner = s.outer * 0.46;   // a little fuller than the regular 0.382
    s.cx = w / 2.0;
    s.cy = 1.0 + s.outer + (h - 2.0 - s.outer * (1.0 + std::cos(36.0 * kPi / 180.0))) / 2.0;
    for (int i = 0; i < 10; ++i) {
        const double a = (-90.0 + 36.0 * i) * kPi / 180.0;
        const double r = (i % 2 == 0) ? s.outer : s.inner;
        s.v[i] = {s.cx + r * std::cos(a), s.cy + r * std::sin(a)};
    }
    return s;
}

bool inside(const Star& s, double x, double y)
{
    bool in = false;
    for (int i = 0, j = 9; i < 10; j = i++) {
        const Vec a = s.v[i], b = s.v[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

double edgeDistance(const Star& s, double x, double y)
{
    double best = 1e9;
    for (int i = 0, j = 9; i < 10; j = i++) {
        const Vec a = s.v[j], b = s.v[i];
        const double dx = b.x - a.x, dy = b.y - a.y;
        double t = ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        const double ex = a.x + t * dx - x, ey = a.y + t * dy - y;
        const double d = std::sqrt(ex * ex + ey * ey);
        if (d < best)
            best = d;
    }
    return best;
}

// Colour of the star at a point inside it: each arm has a lit and a shaded
// facet (light from the upper left), brighter toward the centre, with a
// dark rim along the outline.
void shade(const Star& s, double x, double y, double& r, double& g, double& b)
{
    double a = std::atan2(y - s.cy, x - s.cx) * 180.0 / kPi + 90.0;   // 0 = up
    while (a < 0)
        a += 360.0;
    const int facet = static_cast<int>(a / 36.0) % 10;
    // Facet normal direction: the middle of its 36-degree wedge, tilted to
    // the side of the arm the facet lies on.
    const double mid = (facet * 36.0 + 18.0 - 90.0) * kPi / 180.0;
    const double light = (-135.0) * kPi / 180.0;
    double lum = 0.74 + 0.34 * std::cos(mid - light);
    if (facet % 2 == 1)
        lum *= 0.88;   // second facet of each arm
    const double dist = std::hypot(x - s.cx, y - s.cy) / s.outer;
    lum *= 1.08 - 0.22 * dist;
    r = 255.0 * lum + 40.0 * (1.0 - dist);
    g = 196.0 * lum + 30.0 * (1.0 - dist);
    b = 36.0 * lum;
    const double rim = edgeDistance(s, x, y);
    const double width = s.outer > 40 ? 1.6 : 1.1;
    if (rim < width) {
        const double k = 1.0 - rim / width;   // 1 on the outline
        r = r * (1 - k) + 120.0 * k;
        g = g * (1 - k) + 70.0 * k;
        b = b * (1 - k) + 0.0 * k;
    }
}

uint8_t toByte(double v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v + 0.5));
}

void put16(std::vector<uint8_t>& o, uint32_t v)
{
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<uint8_t>& o, uint32_t v)
{
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

std::vector<uint8_t> renderBmp(int w, int h)
{
    const Star s = makeStar(w, h);
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4, 0);   // top-down BGRA
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int hits = 0;
            double sr = 0, sg = 0, sb = 0;
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    const double fx = x + (i + 0.5) / kSamples;
                    const double fy = y + (j + 0.5) / kSamples;
                    if (!inside(s, fx, fy))
                        continue;
                    double r, g, b;
                    shade(s, fx, fy, r, g, b);
                    sr += r; sg += g; sb += b;
                    ++hits;
                }
            }
            if (hits == 0)
                continue;
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = toByte(sb / hits);
            p[1] = toByte(sg / hits);
            p[2] = toByte(sr / hits);
            p[3] = toByte(255.0 * hits / (kSamples * kSamples));
        }
    }
    std::vector<uint8_t> out;
    const uint32_t imageSize = static_cast<uint32_t>(w) * h * 4;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + imageSize);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(w));
    put32(out, static_cast<uint32_t>(h));   // positive: bottom-up rows
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);   // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const uint8_t* row = &px[static_cast<size_t>(y) * w * 4];
        out.insert(out.end(), row, row + static_cast<size_t>(w) * 4);
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: stargen <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    struct Size {
        const char* name;
        int w, h;
    };
    const Size sizes[] = {{"star_large.bmp", 100, 95}, {"star_medium.bmp", 75, 71},
                          {"star_small.bmp", 50, 47}};
    for (const Size& s : sizes) {
        if (!writeFile(dir + "/" + s.name, renderBmp(s.w, s.h))) {
            std::fprintf(stderr, "stargen: cannot write %s/%s\n", dir.c_str(), s.name);
            return 1;
        }
    }
    return 0;
}
