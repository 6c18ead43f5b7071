// Bounded formatting, the command-line tail and list splitting, without Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <span>

#include "framework/BoundedFormat.h"
#include "framework/CommandLine.h"
#include "framework/TextList.h"

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
