// The polygon file Pic.svg of a game folder: an SVG 1.0 document with the
// picture as an <image> element and every cover polygon as a <path>, laid out
// the way vector drawing programs export a placed bitmap with outlines, so a
// drawing program can open and edit it.
//
// The writer produces one fixed layout (line feeds only). The reader is a
// small tag scanner, not an XML parser: it follows nested groups with
// transforms, the <image> element (whose rectangle is mapped onto the
// picture's W x H pixels), paths made of M/L/H/V/Z segments and the straight
// <polygon>/<polyline> shapes, and skips everything else. Attribute names
// count only at a name's start. Limits: 32 polygons, 32 points per outline,
// 31 nested groups. Coordinates round to the nearest picture pixel.
#pragma once

#include <string>
#include <string_view>

#include "game/game_content.h"

namespace gz {

// How much of Pic.svg the game folder store hands to readPolygonFile.
constexpr std::size_t kPolygonFileReadLimit = 65534;

// The complete file text for polygons 0..polygonCount-1 of `game` over a
// picture of width x height pixels. Polygon names are not written; path i
// has the class "fil0 str<i>".
std::string formatPolygonFile(const GameContent& game, int width, int height);

// Creates or replaces `path` with formatPolygonFile(). Returns false when the
// file could not be created or fully written; callers of the game store
// ignore it (a polygon file that cannot be written is silently skipped).
bool writePolygonFile(const GameContent& game, int width, int height, const std::string& path);

// Reads the polygons of `text` into game.polygons, scaled into picture
// pixels of a width x height picture. Starts by clearing the table
// (polygonCount = 0); touches only point counts, points and names of the
// slots it fills (colour indexes, picture and texts stay).
// Returns false when the text has no "<svg" after its first byte or an
// <image> element lacks width or height (x and y default to 0); the table
// then holds the polygons read before the failure. Text after a zero byte is not read.
bool readPolygonFile(std::string_view text, int width, int height, GameContent& game);

// Outlines are drawn in picture pixels, so their width follows the picture:
// 1/400 of its longer side, at least one pixel. Thin enough that the picture
// stays visible in a drawing program, thick enough to find on a 4000-pixel
// photo. In hundredths of a pixel, as the file writes it with two decimals.
constexpr int kStrokeFraction = 400;
long long polygonFileStrokeHundredths(int width, int height);

// Outline colour 0xRRGGBB of slot i in the style lines of the file.
uint32_t polygonFileOutlineColour(int slot);

}  // namespace gz
