// The arithmetic of the text progress bar: its filled extent, the gradient bands and their
// colours, the bar colours a PBM_SETBARCOLOR sets, and the text drawn over it.
#pragma once

#include <cstdint>
#include <string>

namespace applet {

using Colour = std::uint32_t; // 0x00BBGGRR, as the platform keeps colours

inline Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline int Red(Colour c) {
    return static_cast<int>(c & 0xFF);
}
inline int Green(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int Blue(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Pixels of `length` that the position fills; an empty or reversed range fills nothing.
int FilledLength(int lower, int upper, int position, int length);
// The position as an integer percentage of the range (0 for an empty range).
int PositionPercent(int lower, int upper, int position);

// Number of solid bands: the largest component difference, at most the bar length, at least
// one; a device with fewer than 8 bits per pixel and no palette gets one band.
int BandCount(Colour first, Colour second, int barLength, bool lowColourDevice);
// Colour of band `index` of `count`, linearly between the first and the second colour.
Colour BandColour(Colour first, Colour second, int index, int count);
// Start of band `index` of `count` along a bar of `length` pixels (index == count: the end).
int BandStart(int index, int count, int length);

struct BarColours {
    Colour first;
    Colour second;
};
// PBM_SETBARCOLOR: the first colour is lParam, the second wParam or, when wParam is 0, lParam.
BarColours BarColoursFrom(std::uintptr_t wParam, std::intptr_t lParam);

// Text modes of the control's style bits.
inline constexpr std::uint32_t kTextPercent = 0x100;
inline constexpr std::uint32_t kTextPlain = 0x200;
inline constexpr std::uint32_t kTextModeMask = 0x300;

// The text over the bar: `format` with "%d" replaced by the percentage and "%%" by "%"; an
// empty format means "%d%%" for the percent mode, "%d" for the plain mode, no text otherwise.
// Nothing else in the format is a conversion, so any text is safe to show.
std::string ProgressText(const std::string& format, std::uint32_t mode, int percent);

// HoverButton: colour slots 0..3 exist; setting another one is refused with this result.
inline constexpr int kColourSlots = 4;
inline constexpr int kBadColourSlot = 3;
// Alignment 0..2; any other value leaves the alignment as it was.
int AlignmentAfter(int current, int requested);

// LabeledSlider: the position a value gets on a list of choices `lower`..`upper`: the value
// itself when it lies in the range, else the range maximum (whose choice is the last one).
int SliderPositionFor(int value, int lower, int upper);

} // namespace applet
