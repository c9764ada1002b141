// Resizable dialogs keep their controls in place by anchors: on a change of
// the client size each control moves and/or grows by that change in the
// directions it is anchored to, starting from its rectangle at the initial
// size.
#pragma once

#include "uikit/folder_path.h"

namespace gz {

enum DialogAnchor : unsigned {
    kAnchorNone = 0,
    kMoveRight = 1,    // keeps its distance to the right edge
    kMoveDown = 2,     // keeps its distance to the bottom edge
    kGrowWidth = 4,    // keeps both horizontal distances
    kGrowHeight = 8,   // keeps both vertical distances
};

// The rectangle of a control whose initial rectangle is `base` after the
// client area grew by dx, dy (negative: shrank). Width and height never go
// below zero.
PixelRect anchoredRect(const PixelRect& base, unsigned anchors, int dx, int dy);

}  // namespace gz
