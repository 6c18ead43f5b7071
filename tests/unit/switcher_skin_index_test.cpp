#include "switcher/logic/SkinIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

using switcher::IndexTar;
using switcher::kTarBlockSize;
using switcher::ReadTarEntry;
using switcher::TarBytes;
using Bytes = std::vector<std::uint8_t>;

// A header block as GNU tar writes it in the old format, with the fields the reader looks at.
Bytes Header(const std::string& name, std::size_t size) {
    Bytes h(kTarBlockSize, 0);
    std::memcpy(h.data(), name.data(), std::min<std::size_t>(name.size(), 100));
    char field[13];
    std::snprintf(field, sizeof field, "%011llo", static_cast<unsigned long long>(size));
    std::memcpy(h.data() + 124, field, 12);
    std::memcpy(h.data() + 257, "ustar  ", 8);
    return h;
}

class TarBuilder {
public:
    TarBuilder& Add(const std::string& name, const std::string& data) {
        return AddHeader(Header(name, data.size()), data);
    }
    TarBuilder& AddHeader(const Bytes& header, const std::string& data = {}) {
        bytes_.insert(bytes_.end(), header.begin(), header.end());
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        bytes_.resize((bytes_.size() + kTarBlockSize - 1) / kTarBlockSize * kTarBlockSize, 0);
        return *this;
    }
    // The two zero blocks that end an archive.
    TarBuilder& End() {
        bytes_.resize(bytes_.size() + 2 * kTarBlockSize, 0);
        return *this;
    }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

std::string Filled(std::size_t n, char c = 'x') {
    return std::string(n, c);
}

TarBytes View(const Bytes& b) {
    return TarBytes(b.data(), b.size());
}

std::string DataOf(const Bytes& archive, const switcher::TarMember& m) {
    return std::string(reinterpret_cast<const char*>(archive.data() + m.offset), m.size);
}

// ---------------------------------------------------------------- cursor arithmetic

TEST(TarHeader, DataIsPaddedToWholeBlocks) {
    const Bytes archive = TarBuilder()
                              .Add("empty", "")
                              .Add("block", Filled(512))
                              .Add("block+1", Filled(513))
                              .Add("last", "z")
                              .End()
                              .Take();
    const TarBytes bytes = View(archive);

    auto empty = ReadTarEntry(bytes, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size, 0u);
    EXPECT_EQ(empty->offset, 512u);
    EXPECT_EQ(empty->next, 512u); // the next header follows right behind

    auto block = ReadTarEntry(bytes, empty->next);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->path, "block");
    EXPECT_EQ(block->size, 512u);
    EXPECT_EQ(block->next - block->header, 1024u);

    auto blockPlusOne = ReadTarEntry(bytes, block->next);
    ASSERT_TRUE(blockPlusOne);
    EXPECT_EQ(blockPlusOne->size, 513u);
    EXPECT_EQ(blockPlusOne->next - blockPlusOne->header, 1536u);

    auto last = ReadTarEntry(bytes, blockPlusOne->next);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->path, "last");
    EXPECT_FALSE(ReadTarEntry(bytes, last->next)); // zero block

    const auto index = IndexTar(bytes);
    ASSERT_EQ(index.size(), 4u);
    EXPECT_EQ(DataOf(archive, index.at("block+1")), Filled(513));
    EXPECT_EQ(DataOf(archive, index.at("last")), "z");
    EXPECT_EQ(index.at("last").HeaderOffset(), last->header);
}

TEST(TarHeader, NameStopsAtNulOrAfterHundredBytes) {
    const std::string longest = Filled(100, 'n');
    Bytes full = Header(longest, 3);
    full[100] = '7'; // the mode field right behind must not leak into the name
    const Bytes archive = TarBuilder()
                              .AddHeader(full, "abc")
                              .AddHeader(Header(std::string("cut\0tail", 8), 0))
                              .End()
                              .Take();
    const auto index = IndexTar(View(archive));
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index.begin()->first, "cut");
    EXPECT_EQ(std::next(index.begin())->first, longest);
}

// ---------------------------------------------------------------- index and lookup

TEST(TarIndex, LaterMemberWithTheSamePathWins) {
    const Bytes archive = TarBuilder()
                              .Add("imgs/main/bt.png", "first")
                              .Add("imgs/main/bt.png", "second")
                              .End()
                              .Take();
    const auto index = IndexTar(View(archive));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(DataOf(archive, index.at("imgs/main/bt.png")), "second");
}

TEST(TarIndex, LookupIsExactAndOrderIsByteWise) {
    const Bytes archive = TarBuilder()
                              .Add("imgs/", "")
                              .Add("imgs/main/dlg.png", "d")
                              .Add("imgs/main/\xC3\xA9.png", "e")
                              .Add("imgs/main/Z.png", "Z")
                              .End()
                              .Take();
    const auto index = IndexTar(View(archive));
    EXPECT_EQ(index.count("imgs/main/DLG.png"), 0u);
    EXPECT_EQ(index.count("imgs/main/dlg.png "), 0u);
    EXPECT_EQ(index.count("imgs"), 0u);
    EXPECT_EQ(index.find(std::string_view("imgs/main/dlg.png"))->second.size, 1u);

    std::vector<std::string> keys;
    for (const auto& [path, member] : index) {
        keys.push_back(path);
    }
    // Upper case before lower case, bytes above 0x7F last.
    EXPECT_EQ(keys, (std::vector<std::string>{"imgs/", "imgs/main/Z.png", "imgs/main/dlg.png",
                                              "imgs/main/\xC3\xA9.png"}));
}

// ---------------------------------------------------------------- where the index ends

TEST(TarIndexEnd, EmptyOrShortInputGivesNothing) {
    EXPECT_TRUE(IndexTar(TarBytes()).empty());
    const Bytes header = Header("a", 0);
    EXPECT_TRUE(IndexTar(TarBytes(header.data(), 511)).empty());
    EXPECT_EQ(IndexTar(TarBytes(header.data(), 512)).size(), 1u);
}

TEST(TarIndexEnd, FirstHeaderWithOtherMagicGivesNothing) {
    Bytes posix = Header("a", 1);
    std::memcpy(posix.data() + 257,
                "ustar\0"
                "00",
                8); // POSIX ustar, not the old GNU format
    EXPECT_TRUE(IndexTar(View(TarBuilder().AddHeader(posix, "x").Add("b", "y").Take())).empty());

    EXPECT_TRUE(IndexTar(View(TarBuilder().End().Take())).empty());
}

TEST(TarIndexEnd, OtherMagicLaterKeepsWhatCameBefore) {
    Bytes odd = Header("odd", 0);
    odd[263] = '0';
    const Bytes archive = TarBuilder().Add("a", "1").AddHeader(odd).Add("b", "2").End().Take();
    const auto index = IndexTar(View(archive));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index.count("a"), 1u);
}

TEST(TarIndexEnd, CutHeaderEndsTheIndex) {
    Bytes archive = TarBuilder().Add("a", "1").Add("b", "2").Take();
    archive.resize(archive.size() - 100); // second header present, its data padding cut
    EXPECT_EQ(IndexTar(View(archive)).size(), 2u);
    archive.resize(1024 + 300); // only part of the second header left
    const auto index = IndexTar(View(archive));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index.count("a"), 1u);
}

TEST(TarIndexEnd, CutDataEndsTheIndex) {
    Bytes archive = TarBuilder().Add("a", "1").Add("big", Filled(1000)).Take();
    archive.resize(1024 + 512 + 600);
    const auto index = IndexTar(View(archive));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index.count("big"), 0u);

    // Data that ends exactly at the end of the input still counts, even without padding.
    archive.resize(1024 + 512 + 1000);
    EXPECT_EQ(IndexTar(View(archive)).count("big"), 1u);
}

TEST(TarIndexEnd, SizeFieldMustBeElevenOctalDigits) {
    const char* bad[] = {"00000000008",
                         "0000000001 ",
                         "   00000001",
                         "0000000001\0",
                         "-0000000001",
                         "0000000001x",
                         ("\xff"
                          "0000000001")};
    for (const char* field : bad) {
        Bytes header = Header("bad", 1);
        std::memcpy(header.data() + 124, field, 11);
        const Bytes archive =
            TarBuilder().Add("good", "g").AddHeader(header, "x").Add("after", "a").End().Take();
        const auto index = IndexTar(View(archive));
        EXPECT_EQ(index.size(), 1u)
            << "size field " << testing::PrintToString(std::string(field, 11));
        EXPECT_EQ(index.count("good"), 1u);
    }
}

TEST(TarIndexEnd, HugeSizeFieldDoesNotFit) {
    for (const char* field : {"77777777777", "40000000000", "37777777777", "00000002001"}) {
        Bytes header = Header("huge", 0);
        std::memcpy(header.data() + 124, field, 11);
        const Bytes archive = TarBuilder().AddHeader(header, Filled(1024)).Take();
        EXPECT_TRUE(IndexTar(View(archive)).empty()) << field;
    }
}

TEST(TarIndexEnd, CursorOutsideTheInputReadsNothing) {
    const Bytes archive = TarBuilder().Add("a", "1").End().Take();
    const TarBytes bytes = View(archive);
    EXPECT_FALSE(ReadTarEntry(bytes, archive.size()));
    EXPECT_FALSE(ReadTarEntry(bytes, archive.size() - 511));
    EXPECT_FALSE(ReadTarEntry(bytes, archive.size() + 1));
    EXPECT_FALSE(ReadTarEntry(bytes, std::numeric_limits<std::size_t>::max() - 100));
}

TEST(TarIndexEnd, GarbageStaysInBounds) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(seed >> 24);
    };
    for (std::size_t length : {1u, 511u, 512u, 513u, 1536u, 4000u}) {
        for (int round = 0; round < 20; ++round) {
            Bytes noise(length);
            std::generate(noise.begin(), noise.end(), next);
            // Plant the magic and octal digits now and then so that the walk goes further.
            for (std::size_t at = 0; at + 512 <= noise.size() && round % 2 == 0; at += 512) {
                std::memcpy(noise.data() + at + 257, "ustar  ", 8);
                for (std::size_t i = 0; i < 11; ++i) {
                    noise[at + 124 + i] = static_cast<std::uint8_t>('0' + next() % 8);
                }
                if (round % 4 == 0) {
                    std::memcpy(noise.data() + at + 124, "0000000", 7);
                }
            }
            for (const auto& [path, member] : IndexTar(View(noise))) {
                EXPECT_LE(path.size(), 100u);
                EXPECT_GE(member.offset, 512u);
                EXPECT_LE(member.offset + member.size, noise.size());
            }
        }
    }
}

// ---------------------------------------------------------------- the archive the build packs

struct SkinImage {
    const char* path;
    std::uint32_t width;
    std::uint32_t height;
};

constexpr SkinImage kSkinImages[] = {
    {"imgs/main/bt.png", 880, 160},
    {"imgs/main/btndown.png", 844, 24},
    {"imgs/main/btnup.png", 844, 24},
    {"imgs/main/dlg.png", 356, 245},
    {"imgs/main/plist.png", 844, 24},
    {"imgs/main/sample.png", 356, 245},
    {"imgs/main/slist.png", 844, 24},
    // Drawn for 120, 144 and 192 dpi: each side the 1x one times the scale, halves rounded up,
    // the strips whole frames (8 of the battery, 4 states of a cell) of the rounded width.
    {"imgs/main@125/bt.png", 1104, 200},
    {"imgs/main@125/dlg.png", 445, 306},
    {"imgs/main@125/slist.png", 1056, 30},
    {"imgs/main@125/btnup.png", 1056, 30},
    {"imgs/main@150/bt.png", 1320, 240},
    {"imgs/main@150/dlg.png", 534, 368},
    {"imgs/main@150/plist.png", 1268, 36},
    {"imgs/main@150/btndown.png", 1268, 36},
    {"imgs/main@200/bt.png", 1760, 320},
    {"imgs/main@200/dlg.png", 712, 490},
    {"imgs/main@200/slist.png", 1688, 48},
    {"imgs/main@200/btnup.png", 1688, 48},
};

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

TEST(SkinTar, HoldsTheImagesInWalkOrder) {
    const Bytes archive = ReadFile(SKIN_TAR);
    ASSERT_FALSE(archive.empty()) << SKIN_TAR;
    const auto index = IndexTar(View(archive));

    std::vector<std::string> keys;
    for (const auto& [path, member] : index) {
        keys.push_back(path);
    }
    std::vector<std::string> expected{"imgs/",
                                      "imgs/main/",
                                      "imgs/main/bt.png",
                                      "imgs/main/btndown.png",
                                      "imgs/main/btnup.png",
                                      "imgs/main/btxx.xcf",
                                      "imgs/main/dlg.png",
                                      "imgs/main/plist.png",
                                      "imgs/main/sample.png",
                                      "imgs/main/slist.png"};
    for (const char* set : {"imgs/main@125/", "imgs/main@150/", "imgs/main@200/"}) {
        expected.push_back(set);
        for (const char* image :
             {"bt.png", "btndown.png", "btnup.png", "dlg.png", "plist.png", "slist.png"}) {
            expected.push_back(std::string(set) + image);
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected);

    // Directories first, then the files: the archive is walked in member order.
    auto first = ReadTarEntry(View(archive), 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "imgs/");
    EXPECT_EQ(first->size, 0u);
    auto second = ReadTarEntry(View(archive), first->next);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->path, "imgs/main/");
    EXPECT_EQ(second->next, 1024u);
}

TEST(SkinTar, MembersAreTheCommittedFilesAndPngSizesMatch) {
    const Bytes archive = ReadFile(SKIN_TAR);
    const auto index = IndexTar(View(archive));
    for (const auto& image : kSkinImages) {
        SCOPED_TRACE(image.path);
        auto it = index.find(std::string_view(image.path));
        ASSERT_NE(it, index.end());
        const Bytes file = ReadFile(std::string(SKIN_DIR) + "/" + image.path);
        ASSERT_EQ(it->second.size, file.size());
        ASSERT_TRUE(std::equal(file.begin(), file.end(), archive.begin() + it->second.offset));

        // Signature, IHDR: width, height, 8 bits, colour type 6 (RGBA).
        ASSERT_GE(file.size(), 33u);
        EXPECT_EQ(std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ(std::memcmp(file.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(BigEndian32(file.data() + 16), image.width);
        EXPECT_EQ(BigEndian32(file.data() + 20), image.height);
        EXPECT_EQ(file[24], 8);
        EXPECT_EQ(file[25], 6);
    }
    EXPECT_GT(index.at("imgs/main/btxx.xcf").size, 0u);
}

} // namespace

// The start checks the skin's images by their headers alone: a real image of the skin gives
// its size, and anything that is not a whole PNG header with two sides gives nothing.
TEST(PngImageSize, ReadsTheHeaderAndRefusesTheRest) {
    const Bytes png = ReadFile(std::string(SKIN_DIR) + "/imgs/main/dlg.png");
    const auto size = switcher::PngImageSize(png);
    ASSERT_TRUE(size.has_value());
    EXPECT_GT(size->width, 100u);
    EXPECT_GT(size->height, 100u);

    const auto broken = [&](std::size_t at, std::uint8_t value) {
        Bytes copy = png;
        copy[at] = value;
        return switcher::PngImageSize(copy).has_value();
    };
    EXPECT_FALSE(broken(1, 'J')) << "signature";
    EXPECT_FALSE(broken(12, 'i')) << "first chunk not IHDR";
    EXPECT_FALSE(broken(11, 12)) << "IHDR length";
    EXPECT_FALSE(broken(16, 0x80)) << "width beyond 2^31 - 1";
    Bytes zero = png;
    std::fill(zero.begin() + 20, zero.begin() + 24, 0);
    EXPECT_FALSE(switcher::PngImageSize(zero).has_value()) << "zero height";
    EXPECT_FALSE(switcher::PngImageSize(TarBytes(png.data(), 23)).has_value()) << "cut header";
    EXPECT_FALSE(switcher::PngImageSize(TarBytes()).has_value());
}
