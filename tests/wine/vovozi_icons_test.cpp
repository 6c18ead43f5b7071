// The icon library as the suite uses it: the factory modes name "VoVOZI.dll,1" to ",5", and
// the tray and the applet turn such a reference into an icon with ExtractIconA.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/UniqueHandle.h"

using framework::UniqueGdiObject;
using framework::UniqueIcon;
using framework::UniqueModule;

namespace {

constexpr int kIconCount = 6;
constexpr WORD kFirstGroupId = 100;

std::string LibraryPath() {
    char dir[MAX_PATH] = {};
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    EXPECT_GT(n, 0u);
    return std::string(dir, n) + "\\VoVOZI.dll";
}

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb; // top-down rows, 0xAARRGGBB

    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

int Red(uint32_t c) {
    return (c >> 16) & 0xFF;
}
int Green(uint32_t c) {
    return (c >> 8) & 0xFF;
}
int Blue(uint32_t c) {
    return c & 0xFF;
}
int Alpha(uint32_t c) {
    return c >> 24;
}

// The colour plane of an icon as 32-bit pixels with its alpha channel.
Pixels Read(HICON icon) {
    Pixels p;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) {
        ADD_FAILURE() << "GetIconInfo failed: " << GetLastError();
        return p;
    }
    UniqueGdiObject color(info.hbmColor);
    UniqueGdiObject mask(info.hbmMask);
    if (!color) {
        ADD_FAILURE() << "monochrome icon";
        return p;
    }
    BITMAP bm = {};
    if (GetObjectA(color.Get(), sizeof bm, &bm) != sizeof bm) {
        ADD_FAILURE() << "GetObject failed";
        return p;
    }
    p.width = bm.bmWidth;
    p.height = bm.bmHeight;
    p.argb.resize(static_cast<size_t>(p.width) * p.height);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, static_cast<HBITMAP>(color.Get()), 0, p.height, p.argb.data(), &bi,
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(rows, p.height);
    return p;
}

// Bytes of the images of one icon group in a module, keyed by their pixel size.
std::vector<std::pair<int, std::string>> GroupImages(HMODULE module, WORD groupId) {
    std::vector<std::pair<int, std::string>> out;
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(groupId), RT_GROUP_ICON);
    if (res == nullptr) {
        return out;
    }
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    DWORD size = SizeofResource(module, res);
    if (dir == nullptr || size < 6) {
        return out;
    }
    WORD count = 0;
    std::memcpy(&count, dir + 4, 2);
    // GRPICONDIRENTRY: width, height, colours, reserved, planes, bit count, bytes, id (14 bytes).
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= size; ++i) {
        const BYTE* e = dir + 6 + 14 * i;
        WORD id = 0;
        std::memcpy(&id, e + 12, 2);
        HRSRC img = FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON);
        if (img == nullptr) {
            continue;
        }
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, img)));
        if (bytes == nullptr) {
            continue;
        }
        out.emplace_back(e[0] == 0 ? 256 : e[0], std::string(bytes, SizeofResource(module, img)));
    }
    return out;
}

// The same from an .ico file embedded in this test as RCDATA.
std::vector<std::pair<int, std::string>> FileImages(WORD rcdataId) {
    std::vector<std::pair<int, std::string>> out;
    HRSRC res = FindResourceA(Self(), MAKEINTRESOURCEA(rcdataId), RT_RCDATA);
    if (res == nullptr) {
        return out;
    }
    const auto* file = static_cast<const BYTE*>(LockResource(LoadResource(Self(), res)));
    DWORD size = SizeofResource(Self(), res);
    if (file == nullptr || size < 6) {
        return out;
    }
    WORD count = 0;
    std::memcpy(&count, file + 4, 2);
    // ICONDIRENTRY: as above but a 32-bit file offset in place of the id (16 bytes).
    for (WORD i = 0; i < count && 6u + 16u * (i + 1u) <= size; ++i) {
        const BYTE* e = file + 6 + 16 * i;
        DWORD length = 0, offset = 0;
        std::memcpy(&length, e + 8, 4);
        std::memcpy(&offset, e + 12, 4);
        if (offset > size || length > size - offset) {
            ADD_FAILURE() << "icon file " << rcdataId << " entry " << i << " runs past the end";
            continue;
        }
        out.emplace_back(e[0] == 0 ? 256 : e[0],
                         std::string(reinterpret_cast<const char*>(file) + offset, length));
    }
    return out;
}

// Resource names in the order the library lists them; numeric ids come through as values.
BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    reinterpret_cast<std::vector<UINT_PTR>*>(param)->push_back(reinterpret_cast<UINT_PTR>(name));
    return TRUE;
}

class VoVoziIcons : public ::testing::Test {
protected:
    const std::string path_ = LibraryPath();
};

TEST_F(VoVoziIcons, LoadsAsDataFileWithSixIconGroupsInOrder) {
    UniqueModule module(LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module) << path_ << ": " << GetLastError();
    std::vector<UINT_PTR> ids;
    EXPECT_TRUE(EnumResourceNamesA(module.Get(), RT_GROUP_ICON, CollectName,
                                   reinterpret_cast<LONG_PTR>(&ids)));
    // Numeric ids only (a named group would sort first and shift every index).
    std::vector<UINT_PTR> expected;
    for (int i = 0; i < kIconCount; ++i) {
        expected.push_back(kFirstGroupId + i);
    }
    EXPECT_EQ(ids, expected);
}

TEST_F(VoVoziIcons, ExtractIconCountsSixIcons) {
    EXPECT_EQ(ExtractIconExA(path_.c_str(), -1, nullptr, nullptr, 0), UINT(kIconCount));
    // Index -1 (all bits set) asks ExtractIcon for the count.
    HICON count = ExtractIconA(Self(), path_.c_str(), UINT(-1));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(count), UINT_PTR(kIconCount));
}

TEST_F(VoVoziIcons, EveryIndexGivesAnIconByPathAndByBareName) {
    for (UINT i = 0; i < kIconCount; ++i) {
        UniqueIcon byPath(ExtractIconA(Self(), path_.c_str(), i));
        EXPECT_TRUE(byPath) << "index " << i;
        // The stored references name the file only; it is found in the system directory.
        UniqueIcon byName(ExtractIconA(Self(), "VoVOZI.dll", i));
        EXPECT_TRUE(byName) << "index " << i;
    }
    UniqueIcon past(ExtractIconA(Self(), path_.c_str(), kIconCount));
    EXPECT_FALSE(past);
}

TEST_F(VoVoziIcons, ModeIconsComeInLargeAndSmallSizes) {
    for (int i = 1; i < kIconCount; ++i) {
        HICON large = nullptr, small = nullptr;
        EXPECT_GT(ExtractIconExA(path_.c_str(), i, &large, &small, 1), 0u) << "index " << i;
        UniqueIcon ownLarge(large), ownSmall(small);
        ASSERT_TRUE(ownLarge) << "index " << i;
        ASSERT_TRUE(ownSmall) << "index " << i;
        Pixels l = Read(large), s = Read(small);
        EXPECT_EQ(l.width, 32) << "index " << i;
        EXPECT_EQ(l.height, 32) << "index " << i;
        EXPECT_EQ(s.width, 16) << "index " << i;
        EXPECT_EQ(s.height, 16) << "index " << i;
    }
}

TEST_F(VoVoziIcons, IconPixelsAreDrawnWithSmoothEdges) {
    for (int i = 0; i < kIconCount; ++i) {
        HICON large = nullptr, small = nullptr;
        ExtractIconExA(path_.c_str(), i, &large, &small, 1);
        UniqueIcon ownLarge(large), ownSmall(small);
        for (HICON icon : {large, small}) {
            ASSERT_NE(icon, nullptr) << "index " << i;
            Pixels p = Read(icon);
            ASSERT_FALSE(p.argb.empty());
            size_t opaque = 0, clear = 0, partial = 0;
            std::set<uint32_t> colours;
            for (uint32_t c : p.argb) {
                int a = Alpha(c);
                opaque += a == 255;
                clear += a == 0;
                partial += a > 0 && a < 255;
                if (a == 255) {
                    colours.insert(c & 0xFFFFFF);
                }
            }
            SCOPED_TRACE("index " + std::to_string(i) + " size " + std::to_string(p.width));
            // A real picture: mostly covered, a transparent margin, anti-aliased edges and
            // more than a couple of flat colours.
            EXPECT_GT(opaque, p.argb.size() / 3);
            EXPECT_GT(clear, p.argb.size() / 20);
            EXPECT_GT(partial, 0u);
            EXPECT_GE(colours.size(), 12u);
        }
    }
}

TEST_F(VoVoziIcons, EachIndexCarriesItsCommittedArtwork) {
    UniqueModule module(LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    for (int i = 0; i < kIconCount; ++i) {
        SCOPED_TRACE("index " + std::to_string(i));
        auto inLibrary = GroupImages(module.Get(), WORD(kFirstGroupId + i));
        auto inFile = FileImages(WORD(i + 1));
        ASSERT_EQ(inFile.size(), 8u); // 16, 20, 24, 32, 40, 48, 64 and 256 px
        ASSERT_EQ(inLibrary.size(), inFile.size());
        for (size_t k = 0; k < inFile.size(); ++k) {
            EXPECT_EQ(inLibrary[k].first, inFile[k].first);
            EXPECT_TRUE(inLibrary[k].second == inFile[k].second) << "size " << inFile[k].first;
        }
        // And what ExtractIcon hands out is that very picture.
        UniqueIcon extracted(ExtractIconA(Self(), path_.c_str(), i));
        ASSERT_TRUE(extracted);
        for (const auto& [size, bytes] : inFile) {
            if (size != 32) {
                continue;
            }
            UniqueIcon fromFile(CreateIconFromResourceEx(
                reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), DWORD(bytes.size()), TRUE,
                0x00030000, 32, 32, LR_DEFAULTCOLOR));
            ASSERT_TRUE(fromFile);
            EXPECT_TRUE(Read(extracted.Get()).argb == Read(fromFile.Get()).argb);
        }
    }
}

// The charge of each mode's battery has the mode's colour, so index 1 is "Full POWER" (a
// bright green full battery), 2 "Long Life" (teal), 3 "Normal" (blue), 4 "High POWER"
// (orange) and 5 "DVD PlayBack" (purple).
TEST_F(VoVoziIcons, ModeIndexesShowTheModesColours) {
    struct Expect {
        const char* mode;
        bool (*matches)(int r, int g, int b);
    };
    const Expect expect[] = {
        // Yellow-green: brighter than the library's own plain green.
        {"Full POWER", [](int r, int g, int b) { return g > r + 40 && r > b + 30; }},
        {"Long Life", [](int r, int g, int b) { return g > b && b > r + 40; }},
        {"Normal", [](int r, int g, int b) { return b > g && g > r && b > 150; }},
        {"High POWER", [](int r, int g, int b) { return r > 200 && r > g && g > b + 40; }},
        {"DVD PlayBack", [](int r, int g, int b) { return b > r && r > g + 20; }},
    };
    for (int i = 1; i < kIconCount; ++i) {
        UniqueIcon icon(ExtractIconA(Self(), path_.c_str(), i));
        ASSERT_TRUE(icon);
        Pixels p = Read(icon.Get());
        ASSERT_EQ(p.width, 32);
        // Near the left end of the charge, below its gloss band.
        uint32_t c = p.At(4, 15);
        EXPECT_EQ(Alpha(c), 255);
        EXPECT_TRUE(expect[i - 1].matches(Red(c), Green(c), Blue(c)))
            << "index " << i << " should be " << expect[i - 1].mode << ", pixel 0x" << std::hex
            << c;
    }
}

} // namespace
