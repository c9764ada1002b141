// Build-time tool: the program icon, as SVG (scalable) and as a 256x256 PNG
// rendered here with 4x4 supersampling: a dark board with coloured cover
// tiles, two of them gone, and a golden star in front.
//   gz_icongen <icon.svg> <icon-256.png>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Pt { double x, y; };
struct Shape { std::vector<Pt> pts; uint32_t colour; };

std::vector<Pt> starPoints(double cx, double cy, double outer, double inner)
{
    std::vector<Pt> p;
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5;
        double r = i % 2 ? inner : outer;
        p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return p;
}

std::vector<Pt> rect(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

std::vector<Shape> shapes()
{
    std::vector<Shape> s;
    s.push_back({rect(8, 8, 240, 240), 0x202830});
    const uint32_t tiles[9] = {0x2E7D32, 0x6A1B9A, 0x1565C0, 0xAD1457, 0, 0x00838F, 0xEF6C00, 0x4E342E, 0};
    for (int i = 0; i < 9; ++i) {
        if (!tiles[i])
            continue;   // uncovered: the picture shows through
        s.push_back({rect(24 + (i % 3) * 72, 24 + (i / 3) * 72, 64, 64), tiles[i]});
    }
    s.push_back({rect(24 + 72, 24 + 72, 64, 64), 0xFFFFFF});
    s.push_back({rect(24 + 144, 24 + 144, 64, 64), 0x90CAF9});
    s.push_back({starPoints(128, 136, 104, 44), 0xFFC107});
    s.push_back({starPoints(128, 136, 84, 34), 0xFFE082});
    return s;
}

bool inside(const std::vector<Pt>& p, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            in = !in;
    return in;
}

bool writeSvg(const char* path, const std::vector<Shape>& s)
{
    std::FILE* f = std::fopen(path, "w");
    if (!f)
        return false;
    std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n");
    for (const Shape& sh : s) {
        std::fprintf(f, "  <polygon fill=\"#%06X\" points=\"", sh.colour);
        for (const Pt& p : sh.pts)
            std::fprintf(f, "%.1f,%.1f ", p.x, p.y);
        std::fprintf(f, "\"/>\n");
    }
    std::fprintf(f, "</svg>\n");
    return std::fclose(f) == 0;
}

bool writePng(const char* path, const std::vector<Shape>& s)
{
    const int N = 256, SS = 4;
    std::vector<unsigned char> rgba(N * N * 4, 0);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SS; ++sy)
                for (int sx = 0; sx < SS; ++sx) {
                    double px = x + (sx + 0.5) / SS, py = y + (sy + 0.5) / SS;
                    for (auto it = s.rbegin(); it != s.rend(); ++it)
                        if (inside(it->pts, px, py)) {
                            r += (it->colour >> 16) & 0xFF;
                            g += (it->colour >> 8) & 0xFF;
                            b += it->colour & 0xFF;
                            a += 255;
                            break;
                        }
                }
            const double n = SS * SS;
            unsigned char* o = &rgba[(y * N + x) * 4];
            // Colour is averaged over covered samples only (straight alpha).
            double cov = a / 255.0;
            o[0] = cov ? static_cast<unsigned char>(r / cov) : 0;
            o[1] = cov ? static_cast<unsigned char>(g / cov) : 0;
            o[2] = cov ? static_cast<unsigned char>(b / cov) : 0;
            o[3] = static_cast<unsigned char>(a / n);
        }
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, N, N, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < N; ++y)
        png_write_row(png, &rgba[y * N * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: gz_icongen icon.svg icon-256.png\n");
        return 2;
    }
    const std::vector<Shape> s = shapes();
    if (!writeSvg(argv[1], s) || !writePng(argv[2], s)) {
        std::fprintf(stderr, "gz_icongen: cannot write the icon\n");
        return 1;
    }
    return 0;
}
