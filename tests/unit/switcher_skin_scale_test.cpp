#include "switcher/logic/SkinScale.h"

#include <gtest/gtest.h>

#include <set>

using switcher::ClampDpi;
using switcher::SkinScale;
using switcher::SkinSetPath;

// The popup's lengths at each DPI round as the skin generator sizes its images, so that a
// control is exactly as large as the picture it shows; at 96 dpi nothing moves.
TEST(SkinScale, LengthsRoundLikeTheImageSetsAndStayPutAt96) {
    const SkinScale base;
    for (int length : {0, 6, 25, 28, 30, 110, 140, 160, 211, 245, 356}) {
        EXPECT_EQ(base.Px(length), length);
    }
    EXPECT_EQ(base.FontPixels(9.0f), 12.0f);

    const SkinScale at120(120), at144(144), at192(192);
    EXPECT_EQ(at120.Px(356), 445);
    EXPECT_EQ(at120.Px(245), 306); // 306.25
    EXPECT_EQ(at120.Px(211), 264); // 263.75
    EXPECT_EQ(at120.Px(110), 138); // 137.5: halves go up
    EXPECT_EQ(at144.Px(245), 368); // 367.5
    EXPECT_EQ(at144.Px(211), 317); // 316.5
    EXPECT_EQ(at144.Px(24), 36);
    EXPECT_EQ(at192.Px(160), 320);
    EXPECT_EQ(at144.Px(-5), -8); // away from zero, as MulDiv
    EXPECT_EQ(at144.Px(50.0f), 75.0f);
    EXPECT_EQ(at144.FontPixels(9.0f), 18.0f);
    // An image of a smaller set drawn at a larger DPI.
    EXPECT_EQ(SkinScale(168).FromSet(534, 144), 623);
    EXPECT_EQ(SkinScale::ScaleLength(10, 0, 96), 0);
}

// Bad DPIs are brought into range; each DPI takes the largest set at or below it that the
// archive holds, and the 1x set when it holds none of the others.
TEST(SkinScale, ClampsTheDpiAndFallsBackToTheNearestSmallerSet) {
    EXPECT_EQ(ClampDpi(0), 96);
    EXPECT_EQ(ClampDpi(-144), 96);
    EXPECT_EQ(ClampDpi(72), 96);
    EXPECT_EQ(ClampDpi(144), 144);
    EXPECT_EQ(ClampDpi(480), 288);
    EXPECT_EQ(SkinScale(480).Px(100), 300);

    const auto all = [](int) { return true; };
    const auto none = [](int) { return false; };
    EXPECT_EQ(SkinScale(96).SetFor(all), 96);
    EXPECT_EQ(SkinScale(119).SetFor(all), 96);
    EXPECT_EQ(SkinScale(120).SetFor(all), 120);
    EXPECT_EQ(SkinScale(168).SetFor(all), 144);
    EXPECT_EQ(SkinScale(480).SetFor(all), 192);
    EXPECT_EQ(SkinScale(192).SetFor(none), 96);

    std::set<int> asked;
    const auto only120 = [&asked](int dpi) {
        asked.insert(dpi);
        return dpi == 120;
    };
    EXPECT_EQ(SkinScale(192).SetFor(only120), 120);
    EXPECT_EQ(asked, (std::set<int>{120, 144, 192}));
}

TEST(SkinScale, SetPathsKeepThe1xNamesAndNameTheOthersByPercentage) {
    EXPECT_EQ(SkinSetPath(96, "dlg.png"), "imgs/main/dlg.png");
    EXPECT_EQ(SkinSetPath(120, "bt.png"), "imgs/main@125/bt.png");
    EXPECT_EQ(SkinSetPath(144, "slist.png"), "imgs/main@150/slist.png");
    EXPECT_EQ(SkinSetPath(192, "btnup.png"), "imgs/main@200/btnup.png");
}
