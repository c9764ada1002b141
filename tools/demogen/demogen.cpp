// Writes the demo game library: twelve games (flags, shapes, pixel art)
// drawn with the image object, German questions and answers, and a cover of
// 12..32 polygons per game that tiles the picture. The cover's reveal order
// puts the cells with the most detail last, so the picture stays a riddle
// for as long as possible. Every game is read back and checked (it loads,
// and its cover hides every pixel); any failure fails the build.
//
// Usage: gz_demogen <library folder>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/file_system.h"
#include "game/game_content.h"
#include "game/game_store.h"
#include "game/message_box.h"
#include "game/picture_files.h"
#include "imaging/raster_image.h"

namespace {

using gz::RasterImage;
using gz::RasterPoint;

struct Demo {
    const char* question;   // Windows-1252
    const char* answer;
    int width, height;
    void (*draw)(RasterImage&);
    int cols, rows;         // cover grid
    bool triangles;         // each cell split in two
};

void vertical3(RasterImage& im, uint32_t a, uint32_t b, uint32_t c)
{
    int w = im.width() / 3;
    im.fillRect(0, 0, w, im.height(), a);
    im.fillRect(w, 0, w, im.height(), b);
    im.fillRect(2 * w, 0, im.width() - 2 * w, im.height(), c);
}

void horizontal3(RasterImage& im, uint32_t a, uint32_t b, uint32_t c)
{
    int h = im.height() / 3;
    im.fillRect(0, 0, im.width(), h, a);
    im.fillRect(0, h, im.width(), h, b);
    im.fillRect(0, 2 * h, im.width(), im.height() - 2 * h, c);
}

void disc(RasterImage& im, int cx, int cy, int r, uint32_t colour)
{
    RasterPoint p[60];
    for (int i = 0; i < 60; ++i) {
        double a = i * 2 * M_PI / 60;
        p[i] = {cx + static_cast<int>(std::lround(r * std::cos(a))), cy + static_cast<int>(std::lround(r * std::sin(a)))};
    }
    im.fillPolygon(p, 60, colour);
}

void italy(RasterImage& im) { vertical3(im, 0x009246, 0xFFFFFF, 0xCE2B37); }
void france(RasterImage& im) { vertical3(im, 0x0055A4, 0xFFFFFF, 0xEF4135); }
void germany(RasterImage& im) { horizontal3(im, 0x000000, 0xDD0000, 0xFFCE00); }
void austria(RasterImage& im) { horizontal3(im, 0xC8102E, 0xFFFFFF, 0xC8102E); }

void japan(RasterImage& im)
{
    im.fillRect(0, 0, im.width(), im.height(), 0xFFFFFF);
    disc(im, im.width() / 2, im.height() / 2, im.height() * 3 / 10, 0xBC002D);
}

void sweden(RasterImage& im)   // 16 x 10 units: cross 5-2-9 and 4-2-4
{
    int u = im.width() / 16;
    im.fillRect(0, 0, im.width(), im.height(), 0x006AA7);
    im.fillRect(5 * u, 0, 2 * u, im.height(), 0xFECC00);
    im.fillRect(0, 4 * u, im.width(), 2 * u, 0xFECC00);
}

void switzerland(RasterImage& im)
{
    int s = im.width();
    im.fillRect(0, 0, s, s, 0xDA291C);
    im.fillRect(s * 13 / 32, s * 6 / 32, s * 6 / 32, s * 20 / 32, 0xFFFFFF);
    im.fillRect(s * 6 / 32, s * 13 / 32, s * 20 / 32, s * 6 / 32, 0xFFFFFF);
}

void czechia(RasterImage& im)
{
    int w = im.width(), h = im.height();
    im.fillRect(0, 0, w, h / 2, 0xFFFFFF);
    im.fillRect(0, h / 2, w, h - h / 2, 0xD7141A);
    RasterPoint t[3] = {{0, 0}, {w / 2, h / 2}, {0, h - 1}};
    im.fillPolygon(t, 3, 0x11457E);
}

void house(RasterImage& im)
{
    int w = im.width(), h = im.height();
    im.fillRect(0, 0, w, h, 0x87CEEB);                        // sky
    im.fillRect(0, h * 3 / 4, w, h - h * 3 / 4, 0x3A9D23);    // grass
    disc(im, w * 5 / 6, h / 7, h / 12, 0xFFD700);             // sun
    im.fillRect(w / 4, h * 2 / 5, w / 2, h * 7 / 20, 0xE8C39E);   // walls
    RasterPoint roof[3] = {{w / 5, h * 2 / 5}, {w / 2, h / 6}, {w * 4 / 5, h * 2 / 5}};
    im.fillPolygon(roof, 3, 0xA52A2A);
    im.fillRect(w * 9 / 20, h * 3 / 5, w / 10, h * 3 / 20, 0x6B3E1E);   // door
    im.fillRect(w * 3 / 10, h / 2, w / 10, h / 12, 0xFFFFFF);           // windows
    im.fillRect(w * 3 / 5, h / 2, w / 10, h / 12, 0xFFFFFF);
}

void star(RasterImage& im)
{
    int w = im.width(), h = im.height();
    im.fillRect(0, 0, w, h, 0x14213D);
    RasterPoint p[10];
    for (int i = 0; i < 10; ++i) {
        double r = (i % 2 == 0 ? 0.42 : 0.17) * std::min(w, h);
        double a = -M_PI / 2 + i * M_PI / 5;
        p[i] = {w / 2 + static_cast<int>(std::lround(r * std::cos(a))),
                h / 2 + static_cast<int>(std::lround(r * std::sin(a))) + h / 25};
    }
    im.fillPolygon(p, 10, 0xFCA311);
}

void pixelArt(RasterImage& im, const char* const* rows, int n, const uint32_t* palette)
{
    int cols = static_cast<int>(std::char_traits<char>::length(rows[0]));
    int bw = im.width() / cols, bh = im.height() / n;
    im.fillRect(0, 0, im.width(), im.height(), palette[0]);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < cols; ++x)
            if (rows[y][x] != '.')
                im.fillRect(x * bw, y * bh, bw, bh, palette[rows[y][x] - '0']);
}

void heart(RasterImage& im)
{
    static const char* const rows[] = {
        ".............",
        "..111...111..",
        ".12221.12221.",
        "1233221222221",
        "1232222222221",
        "1222222222221",
        ".12222222221.",
        "..122222221..",
        "...1222221...",
        "....12221....",
        ".....121.....",
        "......1......",
        ".............",
    };
    static const uint32_t palette[] = {0xFDEBD0, 0x7B0D1E, 0xE01E37, 0xFFB3C1};
    pixelArt(im, rows, 13, palette);
}

void mushroom(RasterImage& im)
{
    static const char* const rows[] = {
        "............",
        "....1111....",
        "..11222211..",
        ".1223222321.",
        ".1233222331.",
        "122222222221",
        "122322223221",
        ".1111111111.",
        "...144441...",
        "...144441...",
        "...111111...",
        "............",
    };
    static const uint32_t palette[] = {0x9ED2F0, 0x222222, 0xD62828, 0xFFFFFF, 0xF1E3C8};
    pixelArt(im, rows, 12, palette);
}

void sailboat(RasterImage& im)
{
    int w = im.width(), h = im.height();
    im.fillRect(0, 0, w, h, 0xBDE0FE);
    im.fillRect(0, h * 2 / 3, w, h - h * 2 / 3, 0x1D4E89);
    disc(im, w / 6, h / 6, h / 14, 0xFFB703);
    RasterPoint hull[4] = {{w / 5, h * 3 / 5}, {w * 4 / 5, h * 3 / 5}, {w * 2 / 3, h * 3 / 4}, {w / 3, h * 3 / 4}};
    im.fillPolygon(hull, 4, 0x6F4518);
    im.fillRect(w / 2 - 4, h / 6, 8, h * 3 / 5 - h / 6, 0x3D2B1F);
    RasterPoint big[3] = {{w / 2 + 8, h / 6}, {w / 2 + 8, h * 11 / 20}, {w * 3 / 4, h * 11 / 20}};
    RasterPoint small[3] = {{w / 2 - 8, h / 4}, {w / 2 - 8, h * 11 / 20}, {w * 3 / 10, h * 11 / 20}};
    im.fillPolygon(big, 3, 0xFFFFFF);
    im.fillPolygon(small, 3, 0xF1FAEE);
}

const Demo kDemos[] = {
    {"Welches Land hat diese Flagge?", "Italien", 600, 400, italy, 5, 4, false},
    {"Welches Land hat diese Flagge?", "Deutschland", 600, 360, germany, 4, 3, true},
    {"Welches Land hat diese Flagge?", "Frankreich", 600, 400, france, 4, 4, false},
    {"Welches Land hat diese Flagge?", "\xD6sterreich", 600, 400, austria, 4, 3, false},
    {"Welches Land hat diese Flagge?", "Japan", 600, 400, japan, 6, 4, false},
    {"Welches Land hat diese Flagge?", "Schweden", 640, 400, sweden, 4, 4, true},
    {"Welches Land hat diese Flagge?", "Schweiz", 480, 480, switzerland, 3, 3, true},
    {"Welches Land hat diese Flagge?", "Tschechien", 600, 400, czechia, 6, 5, false},
    {"Was ist auf dem Bild zu sehen?", "Ein Haus", 640, 480, house, 4, 3, true},
    {"Welche Form ist das?", "Ein f\xFCnfzackiger Stern", 480, 480, star, 4, 4, false},
    {"Was zeigt dieses Pixelbild?", "Ein Herz", 480, 480, heart, 5, 5, false},
    {"Was zeigt dieses Pixelbild?", "Ein Fliegenpilz", 480, 480, mushroom, 4, 3, true},
    {"Was ist auf dem Bild zu sehen?", "Ein Segelboot", 640, 480, sailboat, 6, 4, false},
};

// Deterministic jitter: the same library on every build.
uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

int jitter(uint32_t seed, int range) { return static_cast<int>(hash(seed) % (2 * range + 1)) - range; }

// The grid's vertices, inner ones moved by up to a third of a cell; edge
// vertices stay on their edge so the cells tile the picture.
std::vector<RasterPoint> gridVertices(const Demo& d, uint32_t seed)
{
    std::vector<RasterPoint> v;
    for (int r = 0; r <= d.rows; ++r)
        for (int c = 0; c <= d.cols; ++c) {
            int x = d.width * c / d.cols, y = d.height * r / d.rows;
            uint32_t s = seed * 1000 + static_cast<uint32_t>(r * 37 + c);
            if (c > 0 && c < d.cols)
                x += jitter(s, d.width / d.cols / 3);
            if (r > 0 && r < d.rows)
                y += jitter(s ^ 0x5555u, d.height / d.rows / 3);
            v.push_back({x, y});
        }
    return v;
}

std::vector<std::vector<RasterPoint>> coverCells(const Demo& d, uint32_t seed)
{
    std::vector<RasterPoint> v = gridVertices(d, seed);
    auto at = [&](int r, int c) { return v[static_cast<std::size_t>(r * (d.cols + 1) + c)]; };
    std::vector<std::vector<RasterPoint>> cells;
    for (int r = 0; r < d.rows; ++r)
        for (int c = 0; c < d.cols; ++c) {
            RasterPoint a = at(r, c), b = at(r, c + 1), e = at(r + 1, c + 1), f = at(r + 1, c);
            if (!d.triangles) {
                cells.push_back({a, b, e, f});
            } else if ((r + c) % 2 == 0) {
                cells.push_back({a, b, e});
                cells.push_back({a, e, f});
            } else {
                cells.push_back({a, b, f});
                cells.push_back({b, e, f});
            }
        }
    return cells;
}

// How much a cell gives away: the share of its pixels that differ from a
// neighbour (colour edges are where shapes show).
double detail(const RasterImage& picture, const std::vector<RasterPoint>& cell)
{
    RasterImage mask;
    mask.create(8, picture.width(), picture.height(), 0u);
    mask.fillPolygon(cell.data(), static_cast<int>(cell.size()), 1);
    int x0 = picture.width(), y0 = picture.height(), x1 = 0, y1 = 0;
    for (const RasterPoint& p : cell) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, picture.width() - 2);
    y1 = std::min(y1, picture.height() - 2);
    long area = 0, edges = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (mask.pixel(x, y) == 0)
                continue;
            ++area;
            uint32_t c = picture.colourAt(x, y);
            if (c != picture.colourAt(x + 1, y) || c != picture.colourAt(x, y + 1))
                ++edges;
        }
    return area ? static_cast<double>(edges) / static_cast<double>(area) : 0.0;
}

class SilentBoxes final : public gz::MessageBoxes {
public:
    gz::MessageAnswer show(std::string_view text, std::string_view, gz::MessageButtons, gz::MessageIcon) override
    {
        std::fprintf(stderr, "demogen: %.*s\n", static_cast<int>(text.size()), text.data());
        return gz::MessageAnswer::Yes;
    }
};

bool fail(int n, const char* what)
{
    std::fprintf(stderr, "demogen: Game%03i: %s\n", n, what);
    return false;
}

bool writeGame(gz::GameFolderStore& store, int n, const Demo& d)
{
    gz::GameContent game;
    if (!game.picture.create(24, d.width, d.height, 0u))
        return fail(n, "no picture");
    d.draw(game.picture);

    // Slot 0 is uncovered last: most detail first in the table.
    std::vector<std::vector<RasterPoint>> cells = coverCells(d, static_cast<uint32_t>(n));
    std::vector<std::pair<double, std::size_t>> order;
    for (std::size_t i = 0; i < cells.size(); ++i)
        order.push_back({detail(game.picture, cells[i]) + (hash(static_cast<uint32_t>(n * 101 + i)) % 1000) * 1e-6, i});
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [score, i] : order) {
        gz::CoverPolygon* p = game.appendPolygon();
        if (!p)
            return fail(n, "more than 32 polygons");
        for (const RasterPoint& pt : cells[i])
            p->addPoint({pt.x, pt.y});
    }

    gz::FileSystem& fs = store.fileSystem();
    if (fs.createFolders(gz::gameFolderPath(store.picturePath(), n)) != gz::FsStatus::Ok)
        return fail(n, "cannot create the folder");
    gz::FsStatus s = gz::replaceFileSafely(fs, gz::gamePicturePath(store.picturePath(), n),
                                           [&](const std::string& temp) { return store.pictures().save(temp, game.picture) == 0; });
    if (s != gz::FsStatus::Ok)
        return fail(n, "cannot write Pic.png");
    game.gameNumber = n;
    game.setQuestion(d.question);
    game.setAnswer(d.answer);
    game.modified = true;
    if (store.save(false, game) != gz::SaveResult::Saved)
        return fail(n, "cannot write Pic.txt / Pic.svg");
    return true;
}

// Reads game n back: it loads, has 12..32 polygons, and together they cover
// every pixel.
bool checkGame(gz::GameFolderStore& store, int n, const Demo& d)
{
    gz::GameContent game;
    if (!store.load(n, game))
        return fail(n, "does not load");
    if (game.polygonCount < 12 || game.polygonCount > 32)
        return fail(n, "polygon count outside 12..32");
    if (game.picture.width() != d.width || game.picture.height() != d.height)
        return fail(n, "picture size changed");
    RasterImage covered;
    covered.create(8, d.width, d.height, 0u);
    for (int i = 0; i < game.polygonCount; ++i) {
        RasterPoint pts[gz::kMaxPolygonPoints];
        const gz::CoverPolygon& p = game.polygons[i];
        for (int j = 0; j < p.pointCount; ++j)
            pts[j] = {p.points[j].x, p.points[j].y};
        covered.fillPolygon(pts, p.pointCount, 1);
    }
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (covered.pixel(x, y) == 0)
                return fail(n, "the cover leaves a pixel open");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gz_demogen <library folder>\n");
        return 2;
    }
    gz::PosixFileSystem fs;
    gz::ImageFilePictures pictures;
    SilentBoxes boxes;
    gz::GameFolderStore store(fs, pictures, boxes);
    store.setPicturePath(gz::trimPicturePath(argv[1]));
    if (fs.createFolders(store.picturePath()) != gz::FsStatus::Ok) {
        std::fprintf(stderr, "demogen: cannot create %s\n", argv[1]);
        return 1;
    }
    int n = 0;
    for (const Demo& d : kDemos) {
        ++n;
        if (!writeGame(store, n, d) || !checkGame(store, n, d))
            return 1;
    }
    std::printf("demogen: %d games in %s\n", n, store.picturePath().c_str());
    return 0;
}
