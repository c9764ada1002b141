#include "board/board_renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "board/zoomed_picture.h"

namespace gz {

namespace {

// Same size as last time: copy over the old cover rather than allocating
// (and faulting in) megabytes on every uncover step.
void copyKeepingStorage(RasterImage& to, const RasterImage& from)
{
    if (to.width() == from.width() && to.height() == from.height() &&
        to.bitsPerPixel() == from.bitsPerPixel() && !to.isEmpty())
        std::memcpy(to.bits(), from.bits(), from.byteSize());
    else
        to.copyFrom(from);
}

constexpr uint8_t kCellUndrawn = 0xFF;
constexpr int kLabelFontHeight = 18;

int clampedPolygonCount(const GameContent& game)
{
    return std::clamp<int>(game.polygonCount, 0, kMaxPolygons);
}

int32_t scaleAxis(int32_t v, int64_t num, int64_t den)
{
    const int64_t r = int64_t{v} * num / den;
    return static_cast<int32_t>(std::clamp<int64_t>(r, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Polygon points are not bounded, so a far point would make the fill step
// through billions of rows outside the image. Such polygons are clipped to a
// frame well outside the image first: cutting away parts beyond a straight
// line keeps the even-odd coverage of everything inside it.
constexpr int64_t kFillMargin = 1 << 16;

struct ClipPoint {
    int64_t x, y;
};

// One Sutherland-Hodgman pass against the half-plane axis-value <= limit
// (sign +1) or >= limit (sign -1) on x (axis 0) or y (axis 1).
int clipPass(const ClipPoint* in, int n, ClipPoint* out, int cap, int axis, int64_t limit, int sign)
{
    auto inside = [&](const ClipPoint& p) { return sign * ((axis ? p.y : p.x) - limit) <= 0; };
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const ClipPoint& a = in[(i + n - 1) % n];
        const ClipPoint& b = in[i];
        const bool ina = inside(a), inb = inside(b);
        if (ina != inb) {
            const int64_t av = axis ? a.y : a.x, bv = axis ? b.y : b.x;
            const int64_t ao = axis ? a.x : a.y, bo = axis ? b.x : b.y;
            // Differences reach 2^32, so their product needs 128 bits.
            const int64_t o = ao + static_cast<int64_t>(static_cast<__int128>(bo - ao) *
                                                        (limit - av) / (bv - av));
            if (m == cap)
                return -1;
            out[m++] = axis ? ClipPoint{o, limit} : ClipPoint{limit, o};
        }
        if (inb) {
            if (m == cap)
                return -1;
            out[m++] = b;
        }
    }
    return m;
}

// Bounds the polygon to the frame around a w x h image into `out`; returns
// the point count (0 when nothing is left, or when clipping would need more
// points than the fill takes, in which case the points are clamped instead).
int boundPolygon(const ClipPoint* in, int n, RasterPoint* out, int w, int h)
{
    const int64_t lo = -kFillMargin, hiX = w + kFillMargin, hiY = h + kFillMargin;
    bool far = false;
    for (int i = 0; i < n; ++i)
        far = far || in[i].x < lo || in[i].x > hiX || in[i].y < lo || in[i].y > hiY;
    if (!far) {
        for (int i = 0; i < n; ++i)
            out[i] = {static_cast<int32_t>(in[i].x), static_cast<int32_t>(in[i].y)};
        return n;
    }
    constexpr int kCap = 64;
    ClipPoint a[kCap], b[kCap];
    std::copy(in, in + n, a);
    int m = n;
    m = m > 0 ? clipPass(a, m, b, kCap, 0, lo, -1) : m;
    m = m > 0 ? clipPass(b, m, a, kCap, 0, hiX, +1) : m;
    m = m > 0 ? clipPass(a, m, b, kCap, 1, lo, -1) : m;
    m = m > 0 ? clipPass(b, m, a, kCap, 1, hiY, +1) : m;
    if (m < 0) {
        for (int i = 0; i < n; ++i) {
            out[i].x = static_cast<int32_t>(std::clamp<int64_t>(in[i].x, lo, hiX));
            out[i].y = static_cast<int32_t>(std::clamp<int64_t>(in[i].y, lo, hiY));
        }
        return n;
    }
    for (int i = 0; i < m; ++i)
        out[i] = {static_cast<int32_t>(a[i].x), static_cast<int32_t>(a[i].y)};
    return m;
}

// A label centre further outside the cover image than any label is wide
// draws nothing.
constexpr int64_t kLabelReach = 4096;

bool isDrawMode(ViewMode mode) { return mode == ViewMode::Draw || mode == ViewMode::Sort; }

BoardRect intersection(const BoardRect& a, const BoardRect& b)
{
    const int64_t l = std::max<int64_t>(a.x, b.x);
    const int64_t t = std::max<int64_t>(a.y, b.y);
    const int64_t r = std::min<int64_t>(int64_t{a.x} + a.w, int64_t{b.x} + b.w);
    const int64_t bt = std::min<int64_t>(int64_t{a.y} + a.h, int64_t{b.y} + b.h);
    if (r <= l || bt <= t)
        return {};
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
            static_cast<int>(bt - t)};
}

}  // namespace

// Where cover points land on the cover image.
struct BoardRenderer::CoverPlacement {
    // At the fit each axis is scaled by its own ratio, as the scaled picture
    // was; zoomed, the mapping places them (in 64 bits, unclamped, so that a
    // far point keeps its edges' directions for the clipping), less the
    // cover image's place on the board.
    bool zoomed = false;
    int64_t dw = 0, dh = 0, pw = 1, ph = 1;
    PictureMapping mapping;
    int originX = 0, originY = 0;

    ClipPoint place(PolygonPoint p) const
    {
        if (!zoomed)
            return {scaleAxis(p.x, dw, pw), scaleAxis(p.y, dh, ph)};
        const int64_t num = mapping.numerator;
        const int64_t den = mapping.denominator != 0 ? mapping.denominator : 1;
        return {int64_t{p.x} * num / den + mapping.xOffset - originX,
                int64_t{p.y} * num / den + mapping.yOffset - originY};
    }
};

uint32_t coverColour(int c)
{
    const uint32_t red = ((c & 1) ? 0x20u : 0u) + ((c & 8) ? 0x40u : 0u);
    const uint32_t green = 0x20u + 0x10u * static_cast<uint32_t>((c & 0x1F) >> 2);
    const uint32_t blue = ((c & 2) ? 0x20u : 0u) + ((c & 8) ? 0x40u : 0u);
    return (red << 16) | (green << 8) | blue;
}

uint32_t cellColour(PlayerState state)
{
    switch (state) {
    case PlayerState::Buzzed: return kCellBuzzedColour;
    case PlayerState::TimeOver: return kCellTimeOverColour;
    default: return kCellIdleColour;
    }
}

OutlineColour outlineColour(int c)
{
    OutlineColour o;
    o.red = static_cast<uint8_t>(((((c & 1) << 4) + (c & 8) + 8) << 3) & 0xFF);
    o.green = (c & 2) ? 0xC0 : 0x40;
    o.blue = (c & 4) ? 0xC0 : 0x40;
    return o;
}

BoardRenderer::BoardRenderer()
{
    std::memset(cellCache_, kCellUndrawn, sizeof cellCache_);
    applyStarSize(kStarSizeLarge);
}

int BoardRenderer::loadStarImages()
{
    const char* names[3] = {kStarBitmapLarge, kStarBitmapMedium, kStarBitmapSmall};
    int loaded = 0;
    for (int i = 0; i < 3; ++i) {
        if (stars_[i].loadBitmapResource(names[i]))
            ++loaded;
        else
            stars_[i].release();
    }
    applyStarSize(starSizeOption_);
    return loaded;
}

void BoardRenderer::setStarImage(StarImage which, const RasterImage& image)
{
    RasterImage& slot = stars_[static_cast<int>(which)];
    if (image.isEmpty())
        slot.release();
    else
        slot.copyFrom(image);
    if (layout_.starImage == which)
        applyStarSize(starSizeOption_);
}

const RasterImage& BoardRenderer::starImage(StarImage which) const
{
    return stars_[static_cast<int>(which)];
}

void BoardRenderer::applyStarSize(int option)
{
    starSizeOption_ = option;
    layout_ = boardLayoutFor(option);
    const RasterImage& chosen = stars_[static_cast<int>(layout_.starImage)];
    if (chosen.isEmpty())
        currentStar_.release();
    else
        currentStar_.copyFrom(chosen);
}

bool BoardRenderer::resize(BoardCanvas& canvas, ShowState& show, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    RasterImage& back = canvas.backBuffer();
    if (!back.isEmpty())
        back.fillRect(0, 0, back.width(), back.height(), 0x000000);
    canvas.setSize(width, height);
    width_ = canvas.width();
    height_ = canvas.height();
    requestFullRedraw(show);
    return true;
}

void BoardRenderer::requestFullRedraw(ShowState& show)
{
    frameDirty_ = 1;
    show.bannerDirty = 1;
    show.drawnRevealCount = kRevealForceRedraw;
    std::memset(cellCache_, kCellUndrawn, sizeof cellCache_);
}

void BoardRenderer::renderTick(ShowState& show, const GameContent& game, ViewMode mode,
                               BoardCanvas& canvas)
{
    if (width_ == 0 || height_ == 0)
        return;
    renderStrip(PlayerSide::Left, show, canvas);
    renderStrip(PlayerSide::Right, show, canvas);
    if (frameDirty_)
        renderFrame(canvas);
    lastDrawnState_[0] = show.playerState[0].load();
    lastDrawnState_[1] = show.playerState[1].load();
    show.revealCount = modeRevealCount(mode, show.revealCount, clampedPolygonCount(game));
    const std::optional<PictureMapping> zoomed = zoomedMappingFor(game, mode);
    if (show.drawnRevealCount != show.revealCount || zoomed != drawnZoom_)
        renderPicture(show, game, mode, zoomed, canvas);
    if (show.bannerDirty)
        renderBanner(show, canvas);
}

void BoardRenderer::renderStrip(PlayerSide side, const ShowState& show, BoardCanvas& canvas)
{
    const int s = sideIndex(side);
    const uint8_t state = show.playerState[s].load();
    const bool stateChanged = state != lastDrawnState_[s];
    const int stars = show.stars[s];
    const uint32_t background = cellColour(static_cast<PlayerState>(state));
    RasterImage& back = canvas.backBuffer();
    const int cells = layout_.cellsPerSide();
    for (int i = 0; i < cells; ++i) {
        const uint8_t lit = i < stars ? 1 : 0;
        if (lit == cellCache_[s][i] && !stateChanged)
            continue;
        cellCache_[s][i] = lit;
        const BoardRect cell = starCellRect(layout_, side, i, width_, height_);
        back.fillRect(cell.x, cell.y, cell.w, cell.h, background);
        if (lit && !currentStar_.isEmpty())
            back.drawWithAlpha(currentStar_, cell.x + (cell.w - currentStar_.width()) / 2,
                               cell.y + (cell.h - currentStar_.height()) / 2);
        canvas.invalidate(cell.x, cell.y, cell.w, cell.h);
    }
}

void BoardRenderer::renderFrame(BoardCanvas& canvas)
{
    frameDirty_ = 0;
    RasterImage& back = canvas.backBuffer();
    for (PlayerSide side : {PlayerSide::Left, PlayerSide::Right}) {
        const BoardRect r = separatorRect(layout_, side, width_, height_);
        for (int k = 0; k < kBevelWidth; ++k)
            back.fillRect(r.x + k, 0, 1, height_, kBevelColours[k]);
        canvas.invalidate(r.x, r.y, r.w, r.h);
    }
}

void BoardRenderer::renderPicture(ShowState& show, const GameContent& game, ViewMode mode,
                                  const std::optional<PictureMapping>& zoomed, BoardCanvas& canvas)
{
    RasterImage& back = canvas.backBuffer();
    const BoardRect area = pictureAreaRect(layout_, width_, height_);
    const int revealCount = show.revealCount;
    const bool forced = show.drawnRevealCount == kRevealForceRedraw;
    show.drawnRevealCount = revealCount;
    drawnZoom_ = zoomed;
    // A window narrower than both strips has no picture area; a negative
    // width would fill leftwards over the strips.
    if (area.isEmpty())
        return;
    back.fillRect(area.x, area.y, area.w, area.h, kPictureBackground);
    const bool black = options_.blackCover && mode != ViewMode::Sort;
    if (zoomed) {
        renderZoomedPicture(revealCount, game, black, *zoomed, area, canvas);
        return;
    }
    const PictureFit fit = fitPicture(game.picture.width(), game.picture.height(), area.w, area.h);
    const int dw = fit.width;
    const int dh = fit.height;
    if (dw > 0 && dh > 0) {
        if (forced || !scaledMatches(game.picture, dw, dh))
            scalePicture(game.picture, dw, dh);
        copyKeepingStorage(coverImage_, scaledPicture_);
        CoverPlacement place;
        place.dw = dw;
        place.dh = dh;
        place.pw = game.picture.width() > 0 ? game.picture.width() : 1;
        place.ph = game.picture.height() > 0 ? game.picture.height() : 1;
        paintCover(revealCount, game, black, place);
        back.blit(coverImage_, area.x + (area.w - dw) / 2, area.y + (area.h - dh) / 2);
    } else {
        coverImage_.release();
    }
    canvas.invalidate(area.x, area.y, area.w, area.h);
}

bool BoardRenderer::scaledMatches(const RasterImage& picture, int dw, int dh) const
{
    return !scaledPicture_.isEmpty() && scaledPicture_.width() == dw &&
           scaledPicture_.height() == dh && scaledFrom_ == picture.bits() &&
           scaledFromWidth_ == picture.width() && scaledFromHeight_ == picture.height() &&
           scaledFromDepth_ == picture.bitsPerPixel();
}

void BoardRenderer::scalePicture(const RasterImage& pic, int dw, int dh)
{
    // Kept at the back buffer's 32 bits: every redraw then copies it to the
    // cover and the cover to the back buffer byte for byte, and cover
    // colours and label ink are colours even for indexed pictures.
    if (pic.isEmpty()) {
        // Nothing to show: the cover is drawn over the background alone.
        scaledPicture_.create(32, dw, dh, 0u);
    } else if (dw == pic.width() && dh == pic.height()) {
        if (pic.bitsPerPixel() == 32) {
            scaledPicture_.copyFrom(pic);
        } else {
            scaledPicture_.create(32, dw, dh, 0u);
            scaledPicture_.blit(pic, 0, 0);
        }
    } else {
        scaledPicture_.resample(pic, dw, dh, kResampleAreaAverage | kResampleTo32Bits);
    }
    scaledFrom_ = pic.bits();
    scaledFromWidth_ = pic.width();
    scaledFromHeight_ = pic.height();
    scaledFromDepth_ = pic.bitsPerPixel();
}

void BoardRenderer::paintCover(int revealCount, const GameContent& game, bool blackCover,
                               const CoverPlacement& place)
{
    if (coverImage_.isEmpty())
        return;
    const int n = clampedPolygonCount(game);
    int painted;
    if (revealCount < 0) {
        coverImage_.fillRect(0, 0, coverImage_.width(), coverImage_.height(),
                             blackCover ? kBlackCoverBackground : kCoverBackground);
        painted = n;
    } else {
        painted = std::clamp(n - revealCount, 0, n);
    }
    const int w = coverImage_.width();
    const int h = coverImage_.height();
    if (options_.polygonLabels) {
        coverImage_.setFont(builtinFont(kLabelFontHeight));
        coverImage_.setTextAlign(kAlignCentre);
        coverImage_.setTextInk(softInk, kLabelTextColour);
    }
    for (int i = 0; i < painted; ++i) {
        const CoverPolygon& poly = game.polygons[i];
        if (poly.pointCount < 3)
            continue;
        const int count = std::min<int>(poly.pointCount, kMaxPolygonPoints);
        ClipPoint mapped[kMaxPolygonPoints];
        int64_t sumX = 0, sumY = 0;
        for (int j = 0; j < count; ++j) {
            mapped[j] = place.place(poly.points[j]);
            sumX += mapped[j].x;
            sumY += mapped[j].y;
        }
        RasterPoint pts[64];
        const int filled = boundPolygon(mapped, count, pts, w, h);
        if (filled >= 3)
            coverImage_.fillPolygon(pts, filled,
                                    blackCover ? 0x000000 : coverColour(poly.colourIndex));
        if (!options_.polygonLabels)
            continue;
        const int64_t labelX = sumX / count;
        const int64_t labelY = sumY / count;
        if (place.zoomed && (labelX < -kLabelReach || labelX > w + kLabelReach ||
                             labelY < -kLabelReach || labelY > h + kLabelReach))
            continue;
        char label[kNameCapacity + 16];
        std::snprintf(label, sizeof label, "%i. %s", n - i, poly.name);
        coverImage_.drawText(static_cast<int>(labelX), static_cast<int>(labelY), label);
    }
}

void BoardRenderer::renderZoomedPicture(int revealCount, const GameContent& game, bool blackCover,
                                        const PictureMapping& mapping, const BoardRect& area,
                                        BoardCanvas& canvas)
{
    // Only the picture's part inside the area is made; the rest of the area
    // keeps the background.
    const int pw = game.picture.width() > 0 ? game.picture.width() : 1;
    const int ph = game.picture.height() > 0 ? game.picture.height() : 1;
    const PolygonPoint start = mapping.toBoard({0, 0});
    const PolygonPoint end = mapping.toBoard({pw, ph});
    const BoardRect visible = intersection(area, {start.x, start.y, end.x - start.x, end.y - start.y});
    if (visible.isEmpty()) {
        coverImage_.release();
        canvas.invalidate(area.x, area.y, area.w, area.h);
        return;
    }
    const RasterImage& pic = game.picture;
    const ZoomedSource source{pic.bits(), pic.width(), pic.height(), pic.bitsPerPixel(), mapping,
                              visible};
    if (source != zoomedFrom_ || zoomedPicture_.isEmpty()) {
        if (!sampleZoomedPicture(pic, mapping, visible, zoomedPicture_))
            zoomedPicture_.create(32, visible.w, visible.h, 0u);   // nothing to show but the cover
        zoomedFrom_ = source;
    }
    copyKeepingStorage(coverImage_, zoomedPicture_);
    CoverPlacement place;
    place.zoomed = true;
    place.mapping = mapping;
    place.originX = visible.x;
    place.originY = visible.y;
    paintCover(revealCount, game, blackCover, place);
    canvas.backBuffer().blit(coverImage_, visible.x, visible.y);
    canvas.invalidate(area.x, area.y, area.w, area.h);
}

void BoardRenderer::setPictureZoom(const PictureZoom& zoom)
{
    zoom_ = zoom;
    if (zoom.isFit()) {
        zoomedPicture_.release();
        zoomedFrom_ = {};
    }
}

ZoomFrame BoardRenderer::zoomFrame(const GameContent& game) const
{
    return zoomFrameFor(layout_, width_, height_, game.picture.width(), game.picture.height());
}

std::optional<PictureMapping> BoardRenderer::zoomedMappingFor(const GameContent& game,
                                                              ViewMode mode) const
{
    if (!isDrawMode(mode) || zoom_.isFit())
        return std::nullopt;
    const ZoomFrame frame = zoomFrame(game);
    if (clampedZoom(frame, zoom_).isFit())
        return std::nullopt;
    return zoomedMapping(frame, zoom_);
}

PictureMapping BoardRenderer::mappingFor(const GameContent& game, ViewMode mode) const
{
    if (const std::optional<PictureMapping> zoomed = zoomedMappingFor(game, mode))
        return *zoomed;
    return computePictureMapping(layout_, width_, height_, game.picture.width(),
                                 game.picture.height());
}

void BoardRenderer::refreshMapping(const GameContent& game, ViewMode mode)
{
    if (isDrawMode(mode))
        mapping_ = mappingFor(game, mode);
}

void BoardRenderer::renderBanner(ShowState& show, BoardCanvas& canvas)
{
    show.bannerDirty = 0;
    const BoardRect banner = bannerRect(layout_, width_);
    if (banner.w <= 0)
        return;
    // Drawn in its own image and copied in, so that text too wide for the
    // band is cut at the band's edges instead of painting over the star
    // strips (which would keep the stray ink until their next redraw).
    RasterImage& band = bannerImage_;
    if (band.width() != banner.w || band.bitsPerPixel() != canvas.backBuffer().bitsPerPixel()) {
        const int depth = canvas.backBuffer().isEmpty() ? 32 : canvas.backBuffer().bitsPerPixel();
        if (!band.create(depth, banner.w, kPictureTop, 0u))
            return;
    }
    band.fillRect(0, 0, banner.w, kBannerHeight, kBannerBackground);
    for (int k = 0; k < kBevelWidth; ++k)
        band.fillRect(0, kBannerHeight + k, banner.w, 1, kBevelColours[k]);
    std::string_view text(show.bannerText, strnlen(show.bannerText, sizeof show.bannerText));
    if (text.empty())
        text = idleBanner_;
    struct Choice {
        int height;
        int y;
    };
    static constexpr Choice kChoices[3] = {{36, 1}, {24, 5}, {18, 11}};
    band.setTextAlign(kAlignCentre);
    band.setTextInk(softInk, kBannerTextColour);
    int y = kChoices[0].y;
    for (const Choice& c : kChoices) {
        band.setFont(builtinFont(c.height));
        y = c.y;
        if (band.measureText(text) <= banner.w - 8)
            break;
    }
    band.drawText(banner.w / 2, y, text);
    canvas.backBuffer().blit(band, banner.x, 0);
    canvas.invalidate(banner.x, 0, banner.w, kPictureTop);
}

}  // namespace gz
