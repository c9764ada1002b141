// The image object's two heavy operations beside Qt's own, in one binary so
// the ratio can be read off one run:
//   resample 4000x3000 -> 1920x1080 with area averaging
//     vs QImage::scaled(..., Qt::SmoothTransformation)
//   32 polygons of 32 points filled on 1920x1080
//     vs QPainter::drawPolygon(..., Qt::OddEvenFill) without antialiasing
// Each at 24 bits (the game's pictures; QImage::Format_RGB888) and 32 bits
// (the board's back buffer; QImage::Format_RGB32).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPoint>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/raster_image.h"

namespace {

constexpr int kSourceW = 4000, kSourceH = 3000, kTargetW = 1920, kTargetH = 1080;

// A photo-like source: smooth gradients plus noise.
void fillSource(uint8_t* row0, std::ptrdiff_t stride, int bytesPerPixel)
{
    std::mt19937 rng(42);
    for (int y = 0; y < kSourceH; ++y) {
        uint8_t* p = row0 + y * stride;
        for (int x = 0; x < kSourceW; ++x, p += bytesPerPixel) {
            const unsigned noise = rng() & 31;
            p[0] = static_cast<uint8_t>((x / 16 + noise) & 255);
            p[1] = static_cast<uint8_t>((y / 12 + noise) & 255);
            p[2] = static_cast<uint8_t>(((x + y) / 28 + noise) & 255);
            if (bytesPerPixel == 4)
                p[3] = 255;
        }
    }
}

gz::RasterImage& gzSource(int bpp)
{
    static gz::RasterImage images[2];
    gz::RasterImage& image = images[bpp == 32];
    if (image.isEmpty()) {
        image.create(bpp, kSourceW, kSourceH);
        // Rows are stored bottom-up: row(0) is the top row.
        fillSource(image.row(0), -static_cast<std::ptrdiff_t>(image.stride()), bpp / 8);
    }
    return image;
}

QImage& qtSource(QImage::Format format)
{
    static QImage images[2];
    QImage& image = images[format == QImage::Format_RGB32];
    if (image.isNull()) {
        image = QImage(kSourceW, kSourceH, format);
        fillSource(image.bits(), image.bytesPerLine(), format == QImage::Format_RGB32 ? 4 : 3);
    }
    return image;
}

void BM_Resample_RasterImage(benchmark::State& state)
{
    const int bpp = static_cast<int>(state.range(0));
    const gz::RasterImage& source = gzSource(bpp);
    gz::RasterImage target;
    for (auto _ : state) {
        target.resample(source, kTargetW, kTargetH, gz::kResampleAreaAverage);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_Resample_RasterImage)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_Resample_QtSmooth(benchmark::State& state)
{
    const QImage& source = qtSource(state.range(0) == 32 ? QImage::Format_RGB32 : QImage::Format_RGB888);
    for (auto _ : state) {
        QImage target = source.scaled(kTargetW, kTargetH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_Resample_QtSmooth)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// 32 cover polygons of 32 points each over the whole board: star-shaped
// around scattered centres, so they are concave.
std::vector<std::vector<gz::RasterPoint>> coverPolygons()
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::vector<gz::RasterPoint>> polygons;
    for (int p = 0; p < 32; ++p) {
        const double cx = 1920 * unit(rng), cy = 1080 * unit(rng);
        std::vector<gz::RasterPoint> points;
        for (int i = 0; i < 32; ++i) {
            const double angle = 2 * M_PI * (i + 0.8 * unit(rng)) / 32;
            const double radius = 150 + 350 * unit(rng);
            points.push_back({static_cast<int32_t>(cx + radius * std::cos(angle)),
                              static_cast<int32_t>(cy + radius * std::sin(angle))});
        }
        polygons.push_back(points);
    }
    return polygons;
}

void BM_FillPolygons_RasterImage(benchmark::State& state)
{
    const auto polygons = coverPolygons();
    gz::RasterImage board;
    board.create(static_cast<int>(state.range(0)), kTargetW, kTargetH, 0u);
    for (auto _ : state) {
        uint32_t colour = 0x102030;
        for (const auto& p : polygons)
            board.fillPolygon(p.data(), static_cast<int>(p.size()), colour += 0x050301);
        benchmark::DoNotOptimize(board.bits());
    }
}
BENCHMARK(BM_FillPolygons_RasterImage)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_FillPolygons_QPainter(benchmark::State& state)
{
    std::vector<QPolygon> polygons;
    for (const auto& p : coverPolygons()) {
        QPolygon q;
        for (const gz::RasterPoint& pt : p)
            q << QPoint(pt.x, pt.y);
        polygons.push_back(q);
    }
    QImage board(kTargetW, kTargetH, state.range(0) == 32 ? QImage::Format_RGB32 : QImage::Format_RGB888);
    board.fill(0);
    for (auto _ : state) {
        QPainter painter(&board);
        painter.setPen(Qt::NoPen);
        uint32_t colour = 0x102030;
        for (const QPolygon& q : polygons) {
            painter.setBrush(QColor(QRgb(colour += 0x050301)));
            painter.drawPolygon(q, Qt::OddEvenFill);
        }
        painter.end();
        benchmark::DoNotOptimize(board.constBits());
    }
}
BENCHMARK(BM_FillPolygons_QPainter)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
