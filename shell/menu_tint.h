// The grey tint of disabled menu images: every pixel that is not the
// transparent colour 0xC0C0C0 becomes a shade of 0xDFDFDF chosen by the
// pixel's weighted brightness (low byte x128, middle x85, high x44).
#pragma once

#include <cstdint>

namespace gz {

constexpr uint32_t kMenuTransparent = 0xC0C0C0;
constexpr uint32_t kMenuDisabledTint = 0xDFDFDF;

// colour: 0xRRGGBB. Returns the disabled shade, or the colour itself when
// it is the transparent colour.
uint32_t disabledMenuPixel(uint32_t colour);

}  // namespace gz
