// Bounded formatting, cutting narrow text, the command-line tail, list splitting and DPI
// scaling, without Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <span>

#include "framework/BoundedFormat.h"
#include "framework/CommandLine.h"
#include "framework/DpiScale.h"
#include "framework/TextCut.h"
#include "framework/TextList.h"
#include "LeadBytes.h"

using namespace framework;

namespace {

TEST(FormatInto, TextThatFitsIsWhole) {
    char buffer[16];
    EXPECT_EQ(FormatInto(std::span<char>(buffer), "%s=%d", "id", 42), 5u);
    EXPECT_STREQ(buffer, "id=42");
    char exact[6];
    EXPECT_EQ(FormatInto(std::span<char>(exact), "%s", "12345"), 5u);
    EXPECT_STREQ(exact, "12345");
}

TEST(FormatInto, LongerTextIsCutInsideTheBuffer) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(FormatInto(std::span<char>(buffer, 5), "%s", "abcdefgh"), 4u);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(buffer[5], 'x') << "written past the end";

    char one[1] = {'x'};
    EXPECT_EQ(FormatInto(std::span<char>(one), "%s", "abc"), 0u);
    EXPECT_EQ(one[0], '\0');

    char none = 'x';
    EXPECT_EQ(FormatInto(std::span<char>(&none, 0), "%s", "abc"), 0u);
    EXPECT_EQ(none, 'x');
}

TEST(FormatInto, WideTextIsCutAndTerminated) {
    wchar_t buffer[4];
    EXPECT_EQ(FormatInto(std::span<wchar_t>(buffer), L"%ls", L"abcdef"), 3u);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(FormatInto(std::span<wchar_t>(buffer), L"%d", 12), 2u);
    EXPECT_STREQ(buffer, L"12");
}

TEST(FinishFormatted, SettlesWhatEachKindOfFormatterLeaves) {
    // Full and unterminated, count -1: the Windows run-time's way of saying "did not fit".
    wchar_t full[4] = {L'a', L'b', L'c', L'd'};
    EXPECT_EQ(FinishFormatted(std::span<wchar_t>(full), -1), 3u);
    EXPECT_STREQ(full, L"abc");
    // C99 formatters report the length they would have needed.
    char needed[4] = {'a', 'b', 'c', '\0'};
    EXPECT_EQ(FinishFormatted(std::span<char>(needed), 10), 3u);
    EXPECT_EQ(FinishFormatted(std::span<char>(needed), 4), 3u);
    // An error before anything was written.
    char failed[4] = {'\0', 'z', 'z', 'z'};
    EXPECT_EQ(FinishFormatted(std::span<char>(failed), -1), 0u);
}

TEST(FinishFormatted, DropsAHighSurrogateWhosePartnerWasCut) {
    wchar_t cut[4] = {L'a', L'b', wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_EQ(FinishFormatted(std::span<wchar_t>(cut), -1), 2u);
    EXPECT_EQ(cut[2], L'\0');
    wchar_t whole[5] = {L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'b', L'c'};
    EXPECT_EQ(FinishFormatted(std::span<wchar_t>(whole), -1), 4u) << "a whole pair stays";
}

// "アイ" (katakana a, i) in code page 932: each starts with 0x83, and the trail byte of the
// first is 0x41, an ASCII "A".
constexpr char kKatakanaA[] = "\x83\x41";
constexpr char kKatakanaI[] = "\x83\x43";

TEST(TextCut, DoubleByteCharactersStayWhole) {
    const LeadBytePredicate sjis = testing_support::IsCp932LeadByte;
    const std::string text = std::string("ab") + kKatakanaA + kKatakanaI + "c";
    EXPECT_EQ(CutToBytes(text, 3, sjis), "ab") << "the 3rd byte starts a character";
    EXPECT_EQ(CutToBytes(text, 4, sjis), std::string("ab") + kKatakanaA);
    EXPECT_EQ(CutToBytes(text, 5, sjis), std::string("ab") + kKatakanaA);
    EXPECT_EQ(CutToBytes(text, 7, sjis), text);
    EXPECT_EQ(CutToBytes(text, 100, sjis), text);
    EXPECT_EQ(CutToBytes(text, 0, sjis), "");
    // A single-byte code page cuts anywhere.
    EXPECT_EQ(CutToBytes(text, 3, nullptr), "ab\x83");
    // A trail byte in the lead range is not taken for the start of a character.
    const std::string trailLikeLead = "\x88\x9F\x88\x9F"; // two kanji, trail 0x9F
    EXPECT_EQ(CutToBytes(trailLikeLead, 3, sjis), "\x88\x9F");
    // A damaged text ending in a lead byte: the lone byte is kept when it fits.
    EXPECT_EQ(CutToBytes("a\x83", 2, sjis), "a\x83");
}

TEST(TextCut, WhatAFormatterLeftOfACutCharacterGoes) {
    const LeadBytePredicate sjis = testing_support::IsCp932LeadByte;
    const std::string whole = std::string("ab") + kKatakanaA;
    EXPECT_EQ(WholeCharacterBytes(whole, sjis), 4u);
    EXPECT_EQ(WholeCharacterBytes(whole.substr(0, 3), sjis), 2u) << "half a character";
    // A trail byte in the lead range at the end is the end of a whole character.
    EXPECT_EQ(WholeCharacterBytes("\x88\x9F", sjis), 2u);
    EXPECT_EQ(WholeCharacterBytes("ab\x83", nullptr), 3u);
    EXPECT_EQ(WholeCharacterBytes("", sjis), 0u);
}

TEST(TextCut, FieldsAreFilledAndTerminated) {
    char field[6];
    std::memset(field, 'x', sizeof field);
    const std::string text = std::string("abcd") + kKatakanaA;
    CopyToField(field, text, testing_support::IsCp932LeadByte);
    EXPECT_STREQ(field, "abcd") << "5 bytes of room, the character needs the 5th and 6th";
    CopyToField(field, text, nullptr);
    EXPECT_STREQ(field, "abcd\x83");
    CopyToField(field, "abcdef", nullptr, 2);
    EXPECT_STREQ(field, "ab") << "a limit below the field's size";
    CopyToField(field, "", nullptr);
    EXPECT_STREQ(field, "");
}

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_STREQ(CommandLineTail("Halvik.exe Close"), "Close");
    EXPECT_STREQ(CommandLineTail("\"C:\\Program Files\\Pivora.exe\"  \t debug close"),
                 "debug close");
    EXPECT_STREQ(CommandLineTail("\"C:\\a b\\x.exe\"Close"), "Close");
    EXPECT_STREQ(CommandLineTail("prog.exe"), "");
    EXPECT_STREQ(CommandLineTail("prog.exe\tA  B "), "A  B ");
    EXPECT_STREQ(CommandLineTail(""), "");
    EXPECT_STREQ(CommandLineTail("\"unclosed name"), "");
    EXPECT_EQ(CommandLineTail(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_STREQ(CommandLineTail(L"\"P i.exe\" prompt text"), L"prompt text");
}

} // namespace

TEST(SplitList, EmptyPiecesCountAndAnEmptyTextHasNone) {
    using framework::SplitList;
    EXPECT_TRUE(SplitList("").empty());
    EXPECT_EQ(SplitList("a,,b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitList("x\n", '\n'), (std::vector<std::string>{"x", ""}));
    EXPECT_EQ(SplitList("Max performance mode,Silent mode").size(), 2U);
}

TEST(FillText, PutsTheValueWhereTheLanguageWantsItAndNeverReadsItAsAFormat) {
    using framework::FillText;
    EXPECT_EQ(FillText("%s Properties", "Normal"), "Normal Properties");
    EXPECT_EQ(FillText("Eigenschaften von %s", "Normal"), "Eigenschaften von Normal");
    EXPECT_EQ(FillText("%s (100%%)", "50%s %d"), "50%s %d (100%)");
}

TEST(DpiScale, LengthsAndFontsGrowWithTheDpiWhichIsClamped) {
    // 96 dpi draws what was drawn before.
    for (const int pixels : {0, 1, 2, 6, 32, 300, -4}) {
        EXPECT_EQ(framework::ScaleToDpi(pixels, 96), pixels);
    }
    EXPECT_EQ(framework::ScaleToDpi(1, 120), 1);
    EXPECT_EQ(framework::ScaleToDpi(1, 144), 2);
    EXPECT_EQ(framework::ScaleToDpi(6, 120), 8);
    EXPECT_EQ(framework::ScaleToDpi(6, 144), 9);
    EXPECT_EQ(framework::ScaleToDpi(300, 192), 600);
    EXPECT_EQ(framework::ScaleToDpi(-3, 144), -5);
    EXPECT_EQ(framework::FontHeightForDpi(9, 96), -12);
    EXPECT_EQ(framework::FontHeightForDpi(9, 120), -15);
    EXPECT_EQ(framework::FontHeightForDpi(9, 144), -18);
    // Outside 96..288 (a failed reading is 0) the nearest end.
    EXPECT_EQ(framework::ClampDpi(0), 96);
    EXPECT_EQ(framework::ClampDpi(-144), 96);
    EXPECT_EQ(framework::ClampDpi(72), 96);
    EXPECT_EQ(framework::ClampDpi(288), 288);
    EXPECT_EQ(framework::ClampDpi(480), 288);
    EXPECT_EQ(framework::ScaleToDpi(10, 0), 10);
    EXPECT_EQ(framework::ScaleToDpi(10, 1000000), 30);
    EXPECT_EQ(framework::FontHeightForDpi(9, 2000), -36);
}
