#include "switcher/logic/SkinScale.h"

#include <cstdint>

namespace switcher {

namespace {

constexpr float kPointsPerInch = 72.0f;

} // namespace

std::string SkinSetPath(int setDpi, std::string_view name) {
    std::string path = "imgs/main";
    if (setDpi != kBaseDpi) {
        path += '@';
        path += std::to_string(setDpi * 100 / kBaseDpi);
    }
    path += '/';
    path += name;
    return path;
}

float SkinScale::Px(float length) const {
    return length * static_cast<float>(dpi_) / static_cast<float>(kBaseDpi);
}

float SkinScale::FontPixels(float points) const {
    return points * static_cast<float>(dpi_) / kPointsPerInch;
}

int SkinScale::SetFor(const std::function<bool(int setDpi)>& has) const {
    for (auto it = kSkinSetDpis.rbegin(); it != kSkinSetDpis.rend(); ++it) {
        if (*it <= dpi_ && *it != kBaseDpi && has(*it)) {
            return *it;
        }
    }
    return kBaseDpi;
}

int SkinScale::ScaleLength(int length, int from, int to) {
    if (from <= 0) {
        return 0;
    }
    const std::int64_t product = static_cast<std::int64_t>(length) * to;
    const std::int64_t half = from / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / from : -((-product + half) / from);
    return static_cast<int>(rounded);
}

} // namespace switcher
