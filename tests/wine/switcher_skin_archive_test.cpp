#include "framework/GdiplusToken.h"
#include "switcher/controls/SkinArchive.h"
#include "switcher/controls/SkinSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Gdiplus::ARGB;
using Gdiplus::GpBitmap;
using switcher::FindSkinResource;
using switcher::LoadSkinArchive;
using switcher::OpenSkinStream;
using switcher::SkinArchive;
using switcher::UniqueGpBitmap;
namespace gdip = Gdiplus::DllExports;

struct ImageSize {
    const char* path;
    UINT width;
    UINT height;
};

constexpr ImageSize kImages[] = {
    {"imgs/main/dlg.png", 356, 245},    {"imgs/main/bt.png", 880, 160},
    {"imgs/main/slist.png", 844, 24},   {"imgs/main/plist.png", 844, 24},
    {"imgs/main/btnup.png", 844, 24},   {"imgs/main/btndown.png", 844, 24},
    {"imgs/main/sample.png", 356, 245},
};

// "imgs/", the 1x set (its folder and eight files), and three scaled sets of a folder and six
// images each.
constexpr std::size_t kMembers = 2 + 8 + 3 * 7;

// Images drawn on the popup, which is see-through wherever it shows RGB(0x30, 0x30, 0x30).
constexpr const char* kDrawnOnPopup[] = {
    "imgs/main/dlg.png",     "imgs/main/bt.png",     "imgs/main/slist.png",
    "imgs/main/plist.png",   "imgs/main/btnup.png",  "imgs/main/btndown.png",
    "imgs/main@125/dlg.png", "imgs/main@150/bt.png", "imgs/main@200/slist.png"};
constexpr ARGB kOpaqueKey = 0xFF303030;

class SkinTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        gdiplus_ = framework::StartGdiplus();
        ASSERT_TRUE(gdiplus_);
    }
    static void TearDownTestSuite() { gdiplus_.Reset(); }

    // The program's own way to its skin: CUI::InitInstance does the same two calls.
    static SkinArchive ProgramSkin() {
        return LoadSkinArchive(FindSkinResource(::GetModuleHandleA(nullptr)));
    }

    static UniqueGpBitmap Decode(const SkinArchive& archive, const char* path) {
        UniqueGpBitmap bitmap;
        IStream* stream = OpenSkinStream(archive, path);
        if (stream != nullptr) {
            gdip::GdipCreateBitmapFromStream(stream, bitmap.Put());
        }
        return bitmap;
    }

    static std::pair<UINT, UINT> SizeOf(GpBitmap* bitmap) {
        UINT width = 0;
        UINT height = 0;
        gdip::GdipGetImageWidth(bitmap, &width);
        gdip::GdipGetImageHeight(bitmap, &height);
        return {width, height};
    }

    static std::vector<ARGB> Pixels(GpBitmap* bitmap) {
        auto [width, height] = SizeOf(bitmap);
        Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        Gdiplus::BitmapData data{};
        std::vector<ARGB> pixels;
        if (gdip::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                     &data) != Gdiplus::Ok) {
            return pixels;
        }
        for (UINT y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const ARGB*>(static_cast<const BYTE*>(data.Scan0) +
                                                            static_cast<INT>(y) * data.Stride);
            pixels.insert(pixels.end(), row, row + width);
        }
        gdip::GdipBitmapUnlockBits(bitmap, &data);
        return pixels;
    }

    static framework::UniqueGdiplusToken gdiplus_;
};

framework::UniqueGdiplusToken SkinTest::gdiplus_;

// ---------------------------------------------------------------- the embedded archive

TEST_F(SkinTest, ResourceIndexesEveryMember) {
    const auto resource = FindSkinResource(::GetModuleHandleA(nullptr));
    ASSERT_NE(resource.data, nullptr);
    const auto* bytes = resource.data;
    const auto size = resource.size;
    const SkinArchive archive = ProgramSkin();
    ASSERT_EQ(archive.Count(), kMembers);

    const auto index = switcher::IndexTar(bytes, size);
    for (const auto& [path, entry] : archive.All()) {
        SCOPED_TRACE(path);
        const auto& member = index.at(path);
        const auto* archiveBytes = static_cast<const std::uint8_t*>(bytes);
        EXPECT_EQ(std::memcmp(entry.Header().data(), archiveBytes + member.HeaderOffset(), 512), 0);
        ASSERT_EQ(entry.Size(), member.size);
        if (path.back() == '/') {
            EXPECT_EQ(entry.Block(), nullptr);
            EXPECT_EQ(entry.Stream(), nullptr);
            EXPECT_EQ(entry.Data(), nullptr);
            continue;
        }
        ASSERT_NE(entry.Stream(), nullptr);
        ASSERT_NE(entry.Data(), nullptr);
        EXPECT_GE(::GlobalSize(entry.Block()), member.size);
        // The copy is the member's own bytes, and the block is a separate one.
        EXPECT_EQ(std::memcmp(entry.Data(), archiveBytes + member.offset, member.size), 0);
        EXPECT_NE(entry.Data(), archiveBytes + member.offset);
    }
}

TEST_F(SkinTest, StreamsAreFoundByExactPathOnly) {
    const SkinArchive archive = ProgramSkin();
    EXPECT_NE(OpenSkinStream(archive, "imgs/main/dlg.png"), nullptr);
    EXPECT_EQ(OpenSkinStream(archive, "imgs/main/DLG.png"), nullptr);
    EXPECT_EQ(OpenSkinStream(archive, "imgs/main/missing.png"), nullptr);
    EXPECT_EQ(OpenSkinStream(archive, "imgs/main/"), nullptr); // a directory has no stream
    EXPECT_EQ(OpenSkinStream(archive, ""), nullptr);
    EXPECT_NE(OpenSkinStream(archive, "imgs/main/btxx.xcf"), nullptr);
}

// ---------------------------------------------------------------- the images

TEST_F(SkinTest, EveryImageDecodesInItsSizeWithAlpha) {
    const SkinArchive archive = ProgramSkin();
    for (const auto& image : kImages) {
        SCOPED_TRACE(image.path);
        UniqueGpBitmap bitmap = Decode(archive, image.path);
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(SizeOf(bitmap.Get()), std::make_pair(image.width, image.height));
        Gdiplus::PixelFormat format = 0;
        gdip::GdipGetImagePixelFormat(bitmap.Get(), &format);
        EXPECT_EQ(format, PixelFormat32bppARGB);
    }
}

TEST_F(SkinTest, StreamIsHandedOutFromItsStart) {
    const SkinArchive archive = ProgramSkin();
    IStream* stream = OpenSkinStream(archive, "imgs/main/bt.png");
    ASSERT_NE(stream, nullptr);
    char signature[8] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(signature, sizeof signature, &read), S_OK);
    EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);

    IStream* again = OpenSkinStream(archive, "imgs/main/bt.png");
    EXPECT_EQ(again, stream); // the archive's own stream, no new reference
    LARGE_INTEGER none{};
    ULARGE_INTEGER position{};
    ASSERT_EQ(again->Seek(none, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 0u);

    UniqueGpBitmap first = Decode(archive, "imgs/main/bt.png");
    UniqueGpBitmap second = Decode(archive, "imgs/main/bt.png");
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(Pixels(first.Get()), Pixels(second.Get()));
}

TEST_F(SkinTest, BatteryFrameIsCutFromTheStrip) {
    const SkinArchive archive = ProgramSkin();
    UniqueGpBitmap strip = Decode(archive, "imgs/main/bt.png");
    ASSERT_TRUE(strip);
    auto [width, height] = SizeOf(strip.Get());
    const INT frameWidth = static_cast<INT>(width / 8);

    UniqueGpBitmap frame(
        switcher::CutImageFrame(strip.Get(), 6 * frameWidth, frameWidth, static_cast<INT>(height)));
    ASSERT_TRUE(frame);
    EXPECT_EQ(SizeOf(frame.Get()), std::make_pair(110u, 160u));
    Gdiplus::PixelFormat format = 0;
    gdip::GdipGetImagePixelFormat(frame.Get(), &format);
    EXPECT_EQ(format, PixelFormat32bppARGB);

    const std::vector<ARGB> all = Pixels(strip.Get());
    const std::vector<ARGB> cut = Pixels(frame.Get());
    ASSERT_EQ(cut.size(), 110u * 160u);
    for (UINT y = 0; y < 160; ++y) {
        for (UINT x = 0; x < 110; ++x) {
            ASSERT_EQ(cut[y * 110 + x], all[y * width + 6 * 110 + x]) << x << "," << y;
        }
    }
}

TEST_F(SkinTest, FrameOutsideTheBitmapIsRefused) {
    const SkinArchive archive = ProgramSkin();
    UniqueGpBitmap strip = Decode(archive, "imgs/main/bt.png");
    ASSERT_TRUE(strip);
    EXPECT_EQ(switcher::CutImageFrame(nullptr, 0, 110, 160), nullptr);
    EXPECT_EQ(switcher::CutImageFrame(strip.Get(), 880, 110, 160), nullptr);
    EXPECT_EQ(switcher::CutImageFrame(strip.Get(), 0, 110, 161), nullptr);
}

TEST_F(SkinTest, PopupArtKeepsTheColourKeyForTransparencyOnly) {
    const SkinArchive archive = ProgramSkin();
    for (const char* path : kDrawnOnPopup) {
        SCOPED_TRACE(path);
        UniqueGpBitmap bitmap = Decode(archive, path);
        ASSERT_TRUE(bitmap);
        const std::vector<ARGB> pixels = Pixels(bitmap.Get());
        ASSERT_FALSE(pixels.empty());
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kOpaqueKey), 0);
    }
    // The dialog is see-through outside its rounded panel and solid inside it.
    UniqueGpBitmap dialog = Decode(archive, "imgs/main/dlg.png");
    const std::vector<ARGB> pixels = Pixels(dialog.Get());
    EXPECT_EQ(pixels[0] >> 24, 0u);
    EXPECT_EQ(pixels[356 * 245 - 1] >> 24, 0u);
    EXPECT_EQ(pixels[120 * 356 + 178] >> 24, 0xFFu);
    // Rows and buttons are drawn without erasing first, so they must be opaque.
    for (const char* path : {"imgs/main/btnup.png", "imgs/main/btndown.png"}) {
        UniqueGpBitmap button = Decode(archive, path);
        const std::vector<ARGB> cells = Pixels(button.Get());
        EXPECT_TRUE(std::all_of(cells.begin(), cells.end(), [](ARGB p) { return p >> 24 == 0xFF; }))
            << path;
    }
}

// ---------------------------------------------------------------- other inputs

std::string TarHeader(const char* name, std::size_t size) {
    std::string h(512, '\0');
    std::memcpy(h.data(), name, std::strlen(name));
    char field[13];
    std::snprintf(field, sizeof field, "%011o", static_cast<unsigned>(size));
    std::memcpy(h.data() + 124, field, 12);
    std::memcpy(h.data() + 257, "ustar  ", 8);
    return h;
}

TEST_F(SkinTest, LaterMemberReplacesTheEarlierOne) {
    std::string tar = TarHeader("a", 5) + "first" + std::string(507, '\0') + TarHeader("a", 6) +
                      "second" + std::string(506, '\0') + std::string(1024, '\0');
    const SkinArchive archive = LoadSkinArchive(tar.data(), tar.size());
    ASSERT_EQ(archive.Count(), 1u);
    const auto* entry = archive.Find("a");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(entry->Data()), entry->Size()), "second");
}

TEST_F(SkinTest, CutOrGarbageResourceNeverReadsPastItsSize) {
    const auto resource = FindSkinResource(::GetModuleHandleA(nullptr));
    ASSERT_NE(resource.data, nullptr);
    const auto* bytes = resource.data;
    const auto size = static_cast<DWORD>(resource.size);
    // Copies on the heap, so that a read past the end would leave the block.
    for (DWORD keep : {DWORD{0}, DWORD{100}, DWORD{1023}, DWORD{1024}, size / 2, size - 1}) {
        std::vector<std::uint8_t> cut(static_cast<const std::uint8_t*>(bytes),
                                      static_cast<const std::uint8_t*>(bytes) + keep);
        const SkinArchive archive = LoadSkinArchive(cut.data(), cut.size());
        // Only the trailing zero blocks are lost when a single byte goes.
        if (keep == size - 1) {
            EXPECT_EQ(archive.Count(), kMembers);
        } else {
            EXPECT_LT(archive.Count(), kMembers) << keep;
        }
        for (const auto& [path, entry] : archive.All()) {
            EXPECT_LE(entry.Size(), keep);
        }
    }
    std::vector<std::uint8_t> garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<std::uint8_t>(i * 131 + 7);
    }
    EXPECT_EQ(LoadSkinArchive(garbage.data(), garbage.size()).Count(), 0u);
    EXPECT_EQ(LoadSkinArchive(nullptr, 4096).Count(), 0u);
}

TEST_F(SkinTest, MovedArchiveKeepsItsStreams) {
    SkinArchive source = ProgramSkin();
    IStream* before = OpenSkinStream(source, "imgs/main/dlg.png");
    SkinArchive moved = std::move(source);
    EXPECT_EQ(OpenSkinStream(moved, "imgs/main/dlg.png"), before);
    EXPECT_TRUE(Decode(moved, "imgs/main/dlg.png"));

    SkinArchive target = ProgramSkin();
    target = std::move(moved);
    EXPECT_TRUE(Decode(target, "imgs/main/slist.png"));
    target.Release();
    EXPECT_EQ(target.Count(), 0u);
    EXPECT_EQ(OpenSkinStream(target, "imgs/main/dlg.png"), nullptr);
}

// The popup's images at each DPI: the set of the DPI as it is; where the archive has no set for
// it, the nearest smaller one drawn up to the DPI's size; at 96 dpi the 1x image untouched.
TEST_F(SkinTest, EachDpiGetsItsSetOrTheNearestSmallerOneScaledUp) {
    const SkinArchive full = ProgramSkin();
    switcher::SkinSet set(full);
    EXPECT_EQ(SizeOf(set.Load("dlg.png").Get()), std::make_pair(356u, 245u));
    set.SetDpi(144);
    EXPECT_EQ(set.SetOf("dlg.png"), 144);
    EXPECT_EQ(SizeOf(set.Load("bt.png").Get()), std::make_pair(1320u, 240u));
    set.SetDpi(1000); // brought down to 288: the 2x set, half as large again
    EXPECT_EQ(SizeOf(set.Load("dlg.png").Get()), std::make_pair(1068u, 735u));

    // An archive with the 1x and 1.25x backgrounds only.
    std::string tar;
    for (const char* path : {"imgs/main/dlg.png", "imgs/main@125/dlg.png"}) {
        const switcher::SkinEntry* entry = full.Find(path);
        ASSERT_NE(entry, nullptr) << path;
        tar += TarHeader(path, entry->Size());
        tar.append(static_cast<const char*>(entry->Data()), entry->Size());
        tar.append((512 - entry->Size() % 512) % 512, '\0');
    }
    tar.append(1024, '\0');
    const SkinArchive partial = LoadSkinArchive(tar.data(), tar.size());
    switcher::SkinSet fallback(partial);
    fallback.SetDpi(144);
    EXPECT_EQ(fallback.SetOf("dlg.png"), 120);
    // 445 x 306 at 120 dpi, times 144 / 120.
    const UniqueGpBitmap grown = fallback.Load("dlg.png");
    EXPECT_EQ(SizeOf(grown.Get()), std::make_pair(534u, 367u));
    // Its opaque middle is the panel's colour, not the see-through key.
    const std::vector<ARGB> pixels = Pixels(grown.Get());
    ASSERT_EQ(pixels.size(), 534u * 367u);
    EXPECT_EQ(pixels[200 * 534 + 300] >> 24, 0xFFu);
    EXPECT_NE(pixels[200 * 534 + 300], kOpaqueKey);
    // An image no set has stays missing rather than coming from elsewhere.
    EXPECT_EQ(fallback.Load("bt.png").Get(), nullptr);
}

} // namespace
