#include "ProgressRules.h"

#include <algorithm>
#include <cstdlib>

namespace applet {

int FilledLength(int lower, int upper, int position, int length) {
    if (upper <= lower || length <= 0) {
        return 0;
    }
    const long long span = static_cast<long long>(upper) - lower;
    const long long done = std::clamp<long long>(static_cast<long long>(position) - lower, 0, span);
    return static_cast<int>(done * length / span);
}

int PositionPercent(int lower, int upper, int position) {
    return FilledLength(lower, upper, position, 100);
}

int BandCount(Colour first, Colour second, int barLength, bool lowColourDevice) {
    if (lowColourDevice) {
        return 1;
    }
    const int difference =
        std::max({std::abs(Red(first) - Red(second)), std::abs(Green(first) - Green(second)),
                  std::abs(Blue(first) - Blue(second))});
    return std::max(1, std::min(difference, barLength));
}

Colour BandColour(Colour first, Colour second, int index, int count) {
    if (count <= 1) {
        return first;
    }
    auto mix = [&](int a, int b) { return a + (b - a) * index / (count - 1); };
    return MakeColour(mix(Red(first), Red(second)), mix(Green(first), Green(second)),
                      mix(Blue(first), Blue(second)));
}

int BandStart(int index, int count, int length) {
    if (count <= 0) {
        return 0;
    }
    return static_cast<int>(static_cast<long long>(length) * index / count);
}

BarColours BarColoursFrom(std::uintptr_t wParam, std::intptr_t lParam) {
    const auto first = static_cast<Colour>(lParam);
    const auto second = wParam != 0 ? static_cast<Colour>(wParam) : first;
    return BarColours{first, second};
}

std::string ProgressText(const std::string& format, std::uint32_t mode, int percent) {
    std::string pattern = format;
    if (pattern.empty()) {
        if ((mode & kTextModeMask) == kTextPercent) {
            pattern = "%d%%";
        } else if ((mode & kTextModeMask) == kTextPlain) {
            pattern = "%d";
        } else {
            return {};
        }
    }
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 'd') {
                text += std::to_string(percent);
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                text += '%';
                ++i;
                continue;
            }
        }
        text += pattern[i];
    }
    return text;
}

int AlignmentAfter(int current, int requested) {
    return requested >= 0 && requested <= 2 ? requested : current;
}

int SliderPositionFor(int value, int lower, int upper) {
    return value >= lower && value <= upper ? value : upper;
}

} // namespace applet
