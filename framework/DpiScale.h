// Pixel sizes drawn for 96 dpi, scaled to the DPI a window is shown at. Windows-free.
#pragma once

namespace framework {

constexpr int kBaseDpi = 96;
// 300 %: beyond it (or a nonsense reading such as 0) the size would be useless.
constexpr int kMinDpi = 96;
constexpr int kMaxDpi = 288;

// A DPI outside 96..288 becomes the nearest end.
int ClampDpi(int dpi);

// A length given at 96 dpi, at `dpi` (clamped), rounded to the nearest pixel; 0 stays 0.
int ScaleToDpi(int pixels, int dpi);

// LOGFONT height (negative: the character height) of a font of `points` at `dpi` (clamped).
int FontHeightForDpi(int points, int dpi);

} // namespace framework
