// BoardRenderer: the board's render state and the incremental render pass.
//
// renderTick() draws into the BoardCanvas back buffer only what changed
// since the last pass: star cells whose lit state or side state changed,
// the separators when the frame is dirty, the picture area when the reveal
// count differs from the one it was drawn with, the banner when it is dirty.
// Each drawn region is invalidated on the canvas by its own rectangle.
// requestFullRedraw() makes the next pass draw everything. Nothing is drawn
// while the stored board size has a zero side.
//
// paintOverlay() is the canvas paint callback's work: in draw and sort mode
// it computes the PictureMapping; in draw mode it also draws the polygon
// outlines and point handles through the painter, clipped to the picture
// area, and rebuilds the FlatPointList. Both stay readable for the editor.
//
// Zoom (board/picture_zoom.h): in draw and sort mode the picture area shows
// the picture through the zoom's mapping. At the fit it is drawn as in every
// other mode: the whole picture scaled once to the fit size. Zoomed, only
// the visible part is sampled (board/zoomed_picture.h) and kept while the
// mapping and the visible rectangle stay, so cover changes and forced
// redraws do not sample again; the cover is painted through the same
// mapping. A changed zoom redraws the picture area at the next pass.
//
// Not thread-safe; runs on the window thread inside the show tick's guard.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "board/board_canvas.h"
#include "board/board_layout.h"
#include "board/flat_point_list.h"
#include "board/picture_zoom.h"
#include "game/game_content.h"
#include "imaging/raster_image.h"
#include "show/show_state.h"

namespace gz {

// Colours of the board (0xRRGGBB).
constexpr uint32_t kCellIdleColour = 0x000000;
constexpr uint32_t kCellBuzzedColour = 0xBCBC00;
constexpr uint32_t kCellTimeOverColour = 0xFF0000;
constexpr uint32_t kBevelColours[kBevelWidth] = {0xDEDEDE, 0xBCBCBC, 0x858585,
                                                0x858585, 0x585858, 0x2C2C2C};
constexpr uint32_t kBannerBackground = 0x000000;
constexpr uint32_t kBannerTextColour = 0x00FF00;
constexpr uint32_t kPictureBackground = 0x000000;
constexpr uint32_t kCoverBackground = 0x081808;       // coloured cover, and sort mode
constexpr uint32_t kBlackCoverBackground = 0x000000;
constexpr uint32_t kLabelTextColour = 0xFFFFFF;

// Bitmap resource names of the star images and their sizes.
constexpr const char* kStarBitmapLarge = "149";    // 100 x 95
constexpr const char* kStarBitmapMedium = "150";   // 75 x 71
constexpr const char* kStarBitmapSmall = "151";    // 50 x 47

// Cover colour of colour index c in coloured mode, e.g. 0 -> 0x002000,
// 5 -> 0x203000, 15 -> 0x605060.
uint32_t coverColour(int colourIndex);
// Star cell background of a player state; unknown states show as Idle.
uint32_t cellColour(PlayerState state);

struct OutlineColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const OutlineColour&, const OutlineColour&) = default;
};
// Draw-mode outline colour of colour index c (bit 4 is ignored).
OutlineColour outlineColour(int colourIndex);

// Options that the picture area obeys at its next redraw.
struct RenderOptions {
    bool polygonLabels = true;   // PolyInfo
    bool blackCover = false;     // ColorMode
};

class BoardRenderer {
public:
    BoardRenderer();

    // Loads the three star images from the bitmap resources 149, 150, 151;
    // a missing one stays empty (its cells show only their background).
    // Returns how many loaded.
    int loadStarImages();
    // Replaces one star image (tests, or a window layer with its own art).
    void setStarImage(StarImage which, const RasterImage& image);
    const RasterImage& starImage(StarImage which) const;

    // Stores the option, lays out from its table row and copies the chosen
    // star image into the current one. Does not redraw: callers follow it
    // with requestFullRedraw().
    void applyStarSize(int option);
    int starSizeOption() const { return starSizeOption_; }
    const BoardLayout& layout() const { return layout_; }

    RenderOptions& options() { return options_; }
    const RenderOptions& options() const { return options_; }

    // What the banner shows while the show's banner text is empty
    // (Windows-1252; empty: nothing). Drawn at the next banner redraw.
    void setIdleBanner(std::string text) { idleBanner_ = std::move(text); }
    const std::string& idleBanner() const { return idleBanner_; }

    // Size handler: with both sides non-zero, fills the back buffer black,
    // sizes the canvas, stores the size and requests a full redraw; with a
    // zero side nothing changes. Returns whether the size was taken.
    bool resize(BoardCanvas& canvas, ShowState& show, int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // Frame dirty, bannerDirty, drawnRevealCount = -2, all star cells undrawn.
    void requestFullRedraw(ShowState& show);

    // The render pass. In a mode other than play it first sets revealCount
    // from the mode (draw: N, sort: -1, preview m: m-3, at most N).
    void renderTick(ShowState& show, const GameContent& game, ViewMode mode,
                    BoardCanvas& canvas);

    // The paint callback's work; selectedPolygon is the editor's selection
    // (-1 for none).
    void paintOverlay(OverlayPainter& painter, const GameContent& game, ViewMode mode,
                      int selectedPolygon);
    const PictureMapping& pictureMapping() const { return mapping_; }

    // The zoom of the picture area in draw and sort mode; the other modes
    // always show the fit. Drawn at the next render pass and used by the
    // next paint (refreshMapping() takes it into pictureMapping() at once).
    // Back at the fit, the zoomed picture's memory is given back.
    void setPictureZoom(const PictureZoom& zoom);
    const PictureZoom& pictureZoom() const { return zoom_; }
    // What the zoom applies to on this board for the game's picture.
    ZoomFrame zoomFrame(const GameContent& game) const;
    // The mapping of the picture area in a mode: the zoom's in draw and
    // sort mode, the fit in the others.
    PictureMapping mappingFor(const GameContent& game, ViewMode mode) const;
    // Sets pictureMapping() as the next paint will, in draw and sort mode.
    void refreshMapping(const GameContent& game, ViewMode mode);
    const FlatPointList& flatPoints() const { return flatPoints_; }
    FlatPointList& flatPoints() { return flatPoints_; }

    // The picture scaled to the picture area with the cover painted on it
    // (zoomed: only its visible part).
    const RasterImage& coverImage() const { return coverImage_; }
    bool frameDirty() const { return frameDirty_ != 0; }

private:
    void renderStrip(PlayerSide side, const ShowState& show, BoardCanvas& canvas);
    void renderFrame(BoardCanvas& canvas);
    void renderPicture(ShowState& show, const GameContent& game, ViewMode mode,
                       const std::optional<PictureMapping>& zoomed, BoardCanvas& canvas);
    void renderZoomedPicture(int revealCount, const GameContent& game, bool blackCover,
                             const PictureMapping& mapping, const BoardRect& area,
                             BoardCanvas& canvas);
    // The zoomed mapping of a mode; none at the fit and outside draw and sort mode.
    std::optional<PictureMapping> zoomedMappingFor(const GameContent& game, ViewMode mode) const;
    bool scaledMatches(const RasterImage& picture, int dw, int dh) const;
    void scalePicture(const RasterImage& picture, int dw, int dh);
    struct CoverPlacement;
    void paintCover(int revealCount, const GameContent& game, bool blackCover,
                    const CoverPlacement& place);
    void renderBanner(ShowState& show, BoardCanvas& canvas);

    int width_ = 0;
    int height_ = 0;
    int starSizeOption_ = kStarSizeLarge;
    BoardLayout layout_;
    RenderOptions options_;
    RasterImage stars_[3];
    RasterImage currentStar_;
    RasterImage coverImage_;
    // The picture scaled to the picture area, made again on a forced redraw
    // (drawnRevealCount -2: a game load, a resize, a new layout) or when the
    // picture or the target size differs; uncover steps reuse it.
    RasterImage scaledPicture_;
    const uint8_t* scaledFrom_ = nullptr;
    int scaledFromWidth_ = 0;
    int scaledFromHeight_ = 0;
    int scaledFromDepth_ = 0;
    // The visible part of the zoomed picture and what it was sampled for.
    struct ZoomedSource {
        const uint8_t* bits = nullptr;
        int width = 0;
        int height = 0;
        int depth = 0;
        PictureMapping mapping;
        BoardRect visible;
        friend bool operator==(const ZoomedSource&, const ZoomedSource&) = default;
    };
    RasterImage zoomedPicture_;
    ZoomedSource zoomedFrom_;
    PictureZoom zoom_;
    // The zoomed mapping the picture area was last drawn with; none: the fit.
    std::optional<PictureMapping> drawnZoom_;
    RasterImage bannerImage_;
    std::string idleBanner_;
    uint8_t cellCache_[kPlayerCount][kMaxStarCells];
    uint8_t lastDrawnState_[kPlayerCount] = {};
    uint8_t frameDirty_ = 0;
    PictureMapping mapping_;
    FlatPointList flatPoints_;
};

}  // namespace gz
