// The switcher's Windows-side pieces outside the running program: the exported exception
// classes, the bounded trace, and the skinned controls' behaviour and animation threads.
#include "framework/GdiplusToken.h"
#include "switcher/DebugTrace.h"
#include "switcher/controls/CAdvListCtrl.h"
#include "switcher/controls/CImage.h"
#include "switcher/controls/CTPAniImpl.h"
#include "switcher/controls/CTPButton.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/exceptions/crt_exception.h"
#include "switcher/exceptions/generic_exception.h"
#include "switcher/exceptions/win32_exception.h"
#include "switcher/popup/ProfileKey.h"
#include "switcher/SwitcherIds.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace switcher;

// Two 4 x 4 frames, red then blue, 30 ms each.
const unsigned char kAnimatedGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x04, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x03, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45,
    0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x21,
    0xf9, 0x04, 0x00, 0x03, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00,
    0x80, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x3b};

std::string SystemMessage(DWORD code) {
    char text[512] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof(text), nullptr);
    std::string message(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n')) {
        message.pop_back();
    }
    return message;
}

// --- the profile key -------------------------------------------------------------------

// Windows drops a low-level hook that takes too long, and a key that comes early would have the
// popup finish its start (images, schemes, the shell) inside the hook: the hook only posts.
TEST(ProfileKeyHook, KeysArePostedToThePopupAndNothingRunsInTheHook) {
    framework::Window popup;
    framework::CreateOptions options;
    options.parent = HWND_MESSAGE;
    ASSERT_TRUE(popup.Create(L"STATIC", L"", options));
    ProfileKey key(popup, true);
    ASSERT_TRUE(key.Install(L"test"));

    struct Case {
        KBDLLHOOKSTRUCT event;
        WPARAM posted; // the HookKey, or none
    };
    const Case cases[] = {
        {{VK_F12, 0x58, 0, 0, 0}, static_cast<WPARAM>(HookKey::Profile)},
        {{0, 5, LLKHF_EXTENDED | LLKHF_UP, 0, 0}, static_cast<WPARAM>(HookKey::Profile)},
        {{0, 6, LLKHF_EXTENDED | LLKHF_UP, 0, 0}, static_cast<WPARAM>(HookKey::Battery)},
        {{'A', 0x1E, 0, 0, 0}, ~WPARAM{0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event.scanCode);
        KBDLLHOOKSTRUCT event = c.event;
        ProfileKey::HookProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&event));
        MSG message{};
        const bool posted = ::PeekMessageW(&message, popup.Hwnd(), WM_SWITCHER_HOOK_KEY,
                                           WM_SWITCHER_HOOK_KEY, PM_REMOVE) != FALSE;
        EXPECT_EQ(posted, c.posted != ~WPARAM{0});
        if (posted) {
            EXPECT_EQ(message.wParam, c.posted);
        }
    }
    key.StopTimer();
    key.Uninstall();
}

// --- exception classes ------------------------------------------------------------------

TEST(SwitcherExceptions, Win32ErrorIsContextSystemTextAndCode) {
    const win32_exception error("open", ERROR_FILE_NOT_FOUND);
    const std::string text = error.what();
    EXPECT_EQ(text, "open: " + SystemMessage(ERROR_FILE_NOT_FOUND) + " (2)\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_STREQ(static_cast<const char*>(error), error.what());
}

TEST(SwitcherExceptions, CrtErrorUsesTheRunTimeText) {
    const crt_exception error("fopen", ENOENT);
    EXPECT_EQ(std::string(error.what()), std::string("fopen: ") + std::strerror(ENOENT) + " (" +
                                             std::to_string(ENOENT) + ")\n");
}

TEST(SwitcherExceptions, GenericWithoutInnerEndsAfterTheContext) {
    const generic_exception error(L"Skin missing", nullptr, "CUI::InitInstance");
    EXPECT_STREQ(error.what(), "Skin missing: CUI::InitInstance\n");
}

// A class of a tool built against the program, which the program cannot copy.
class ForeignException : public basic_exception {
public:
    operator const char*() const override { return "foreign failure\n"; }
};

TEST(SwitcherExceptions, CopyOfAGenericKeepsTheTextOfAForeignInner) {
    const generic_exception error(L"Load", new ForeignException, "Tool");
    const generic_exception copy(error);
    generic_exception assigned(L"other", nullptr, "");
    assigned = error;
    for (const generic_exception* e :
         {&error, &copy, static_cast<const generic_exception*>(&assigned)}) {
        EXPECT_STREQ(e->what(), "Load: Tool\nforeign failure\n");
    }
    EXPECT_NE(copy.inner(), error.inner());
}

TEST(SwitcherExceptions, GenericCarriesItsInnerTextAndCopiesOwnTheirInner) {
    auto* inner = new win32_exception("open", ERROR_ACCESS_DENIED);
    const std::string innerText = inner->what();
    auto* outer = new generic_exception(L"Counter not kept", inner, "cbt_cnt");
    const std::string expected = "Counter not kept: cbt_cnt\n" + innerText;
    EXPECT_EQ(std::string(outer->what()), expected);

    generic_exception copy(*outer);
    ASSERT_NE(copy.inner(), nullptr);
    EXPECT_NE(copy.inner(), outer->inner());
    generic_exception assigned(L"other", nullptr, "x");
    assigned = *outer;
    EXPECT_NE(assigned.inner(), outer->inner());
    delete outer; // frees its own inner only
    EXPECT_EQ(std::string(copy.what()), expected);
    EXPECT_EQ(std::string(assigned.what()), expected);
}

TEST(SwitcherExceptions, LongTextsAreCutToTheirBuffers) {
    const std::string longContext(2000, 'c');
    const win32_exception error(longContext.c_str(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::strlen(error.context()), win32_exception::kContextSize - 1);
    const std::wstring longMessage(3000, L'm');
    const generic_exception generic(longMessage.c_str(), nullptr, longContext.c_str());
    EXPECT_EQ(std::strlen(generic.message()), generic_exception::kMessageSize - 1);
    EXPECT_EQ(std::strlen(generic.context()), generic_exception::kContextSize - 1);
    const std::string text = generic.what();
    EXPECT_EQ(text.size(), 511u + 2u + 1023u + 1u);
}

// --- trace ---------------------------------------------------------------------------------

TEST(SwitcherTrace, LineIsTagColonAndTheFormattedText) {
    wchar_t line[128];
    FormatDebugTrace(line, std::size(line), L"cbt_cnt", L"m=%d\n", 5);
    EXPECT_STREQ(line, L"cbt_cnt: m=5\n");
    FormatDebugTrace(line, std::size(line), L"CUI::InitInstance", L"1st Token=%s\n", L"debug");
    EXPECT_STREQ(line, L"CUI::InitInstance: 1st Token=debug\n");
}

TEST(SwitcherTrace, ATraceLongerThanItsBufferIsCutNotOverrun) {
    const std::wstring huge(kDebugTraceSize + 5000, L'x');
    std::vector<wchar_t> line(kDebugTraceSize + 16, L'#');
    const std::size_t length =
        FormatDebugTrace(line.data(), kDebugTraceSize, L"tag", L"%s", huge.c_str());
    EXPECT_EQ(length, kDebugTraceSize - 1);
    EXPECT_EQ(line[kDebugTraceSize - 1], L'\0');
    EXPECT_EQ(line[kDebugTraceSize], L'#');        // nothing written past the end
    DebugTrace(true, L"tag", L"%s", huge.c_str()); // and the real call survives it
    DebugTrace(false, L"tag", L"%s", nullptr);     // disabled: the arguments are never read
}

// --- skinned controls -----------------------------------------------------------------------

class SkinnedControls : public testing::Test {
protected:
    static void SetUpTestSuite() { gdiplus_ = framework::StartGdiplus(); }
    static void TearDownTestSuite() { gdiplus_.Reset(); }

    void SetUp() override {
        ASSERT_TRUE(gdiplus_);
        parent_ = ::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 400, 300, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        if (parent_ != nullptr && ::IsWindow(parent_)) {
            ::DestroyWindow(parent_);
        }
        streams_.clear();
    }

    HWND AddButton(int id) {
        return ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 10,
                                 10, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 nullptr, nullptr);
    }

    IStream* Stream(const void* bytes, std::size_t size) {
        framework::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
        void* data = block ? ::GlobalLock(block.Get()) : nullptr;
        if (data == nullptr) {
            ADD_FAILURE() << "no memory for the stream";
            return nullptr;
        }
        std::memcpy(data, bytes, size);
        ::GlobalUnlock(block.Get());
        UniqueStream stream;
        // TRUE: the stream frees the block when it goes.
        if (::CreateStreamOnHGlobal(block.Get(), TRUE, stream.Put()) != S_OK) {
            ADD_FAILURE() << "no stream";
            return nullptr;
        }
        block.Release();
        streams_.push_back(std::move(stream));
        return streams_.back().Get();
    }

    IStream* Gif() { return Stream(kAnimatedGif, sizeof(kAnimatedGif)); }

    // A one-frame bitmap (the first frame of the GIF, copied).
    UniqueGpBitmap StillBitmap() {
        UniqueGpBitmap gif = BitmapFromStream(Gif());
        return UniqueGpBitmap(CutImageFrame(gif.Get(), 0, 4, 4));
    }

    static framework::UniqueGdiplusToken gdiplus_;
    HWND parent_ = nullptr;
    std::vector<UniqueStream> streams_;
};

framework::UniqueGdiplusToken SkinnedControls::gdiplus_;

TEST_F(SkinnedControls, AnimatedImageRunsAWorkerThatStopsPromptly) {
    UniqueGpBitmap gif = BitmapFromStream(Gif());
    ASSERT_TRUE(gif);
    CTPAniImpl animation;
    ASSERT_TRUE(animation.Start(parent_, gif.Get()));
    EXPECT_TRUE(animation.Running());
    EXPECT_EQ(animation.FrameCount(), 2u);
    ::Sleep(100); // a few frames
    {
        // The owner paints under the lock; the worker waits meanwhile.
        framework::CriticalSectionLock hold(animation.Lock());
        ::Sleep(50);
    }
    const auto start = std::chrono::steady_clock::now();
    animation.Destroy();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(animation.Running());
    animation.Destroy(); // a second stop is harmless
}

TEST_F(SkinnedControls, OneFrameStartsNoThread) {
    UniqueGpBitmap still = StillBitmap();
    ASSERT_TRUE(still);
    CTPAniImpl animation;
    EXPECT_FALSE(animation.Start(parent_, still.Get()));
    EXPECT_FALSE(animation.Running());
    EXPECT_FALSE(CTPAniImpl().Start(parent_, nullptr));
}

TEST_F(SkinnedControls, ButtonFollowsHoverPressAndIgnoresDoubleClicks) {
    ASSERT_NE(AddButton(1104), nullptr);
    CTPButton button;
    ASSERT_TRUE(button.Init(1104, parent_, Gif(), 2));
    RECT rect{};
    ::GetWindowRect(button.Hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, 2); // one state of a 4-pixel strip of two
    EXPECT_EQ(rect.bottom - rect.top, 4);
    button.Send(WM_MOUSEHOVER);
    EXPECT_EQ(button.State(), CTPButton::kHover);
    button.Send(WM_MOUSELEAVE);
    EXPECT_EQ(button.State(), CTPButton::kNormal);
    button.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(button.State(), CTPButton::kPressed);
    button.Send(WM_LBUTTONUP);
    EXPECT_EQ(button.State(), CTPButton::kNormal);
    // An owner-drawn button's own procedure reports a double click to its parent
    // (BN_DOUBLECLICKED); the skinned one drops it, so it is neither a press nor a command.
    struct CommandWatch : framework::Window {
        std::vector<UINT> codes;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND) {
                codes.push_back(HIWORD(wParam));
            }
            return framework::Window::WindowProc(message, wParam, lParam);
        }
    } watch;
    ASSERT_TRUE(watch.Subclass(parent_));
    const bool checked = button.Checked();
    button.Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
    EXPECT_EQ(button.State(), CTPButton::kNormal);
    EXPECT_EQ(button.Checked(), checked);
    EXPECT_TRUE(watch.codes.empty());
    watch.Detach();
    button.SetDisabled(true);
    button.Send(WM_MOUSEHOVER);
    EXPECT_EQ(button.State(), CTPButton::kNormal);
}

TEST_F(SkinnedControls, DestroyingTheWindowJoinsTheButtonsAnimation) {
    ASSERT_NE(AddButton(1105), nullptr);
    CTPButton button;
    ASSERT_TRUE(button.Init(1105, parent_, Gif(), 2));
    ASSERT_TRUE(button.Animation().Running());
    button.SetDisabled(true); // even a disabled button cleans up
    const auto start = std::chrono::steady_clock::now();
    ::DestroyWindow(parent_);
    parent_ = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(button.Animation().Running());
}

TEST_F(SkinnedControls, ButtonWithoutImageStaysUnskinned) {
    ASSERT_NE(AddButton(1104), nullptr);
    CTPButton button;
    EXPECT_FALSE(button.Init(1104, parent_, nullptr, 4));
    EXPECT_EQ(button.Hwnd(), nullptr);
}

TEST_F(SkinnedControls, HoveringAnotherListDeactivatesTheCurrentOne) {
    ASSERT_NE(AddButton(1102), nullptr);
    ASSERT_NE(AddButton(1103), nullptr);
    CurrentList current;
    CAdvListCtrl schemes(current);
    CAdvListCtrl actions(current);
    // A 4 x 4 strip: four columns of 1 x 4, so rows are 4 pixels high.
    ASSERT_TRUE(schemes.Init(1102, parent_, Gif(), 4));
    ASSERT_TRUE(actions.Init(1103, parent_, Gif(), 4));
    for (const wchar_t* name : {L"Balanced", L"Power saver"}) {
        schemes.AddRow(name);
    }
    actions.AddRow(L"Sleep");
    // Rows without an item draw nothing: the lists cover the rows that show one.
    RECT rect{};
    ::GetWindowRect(schemes.Hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, 1);
    EXPECT_EQ(rect.bottom - rect.top, 8);
    ::GetWindowRect(actions.Hwnd(), &rect);
    EXPECT_EQ(rect.bottom - rect.top, 4);

    schemes.Send(WM_MOUSEHOVER, 0, MAKELPARAM(0, 4)); // second row
    EXPECT_EQ(current.list, &schemes);
    EXPECT_EQ(schemes.GetSelection(), 1);
    actions.Send(WM_MOUSEHOVER, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(current.list, &actions);
    EXPECT_FALSE(schemes.Model().Active());
    EXPECT_FALSE(schemes.Model().Look(1).highlighted);
    EXPECT_TRUE(actions.Model().Look(0).highlighted);
    actions.Send(WM_MOUSEHOVER, 0, MAKELPARAM(0, 8)); // below the only action: ignored
    EXPECT_EQ(actions.GetSelection(), 0);
    ::DestroyWindow(parent_);
    parent_ = nullptr;
    EXPECT_EQ(current.list, nullptr); // a destroyed list is no longer current
}

TEST_F(SkinnedControls, IndicatorKeepsItsBasePictureAndDropsEmptyPictures) {
    HWND item = AddButton(CImage::kItemId);
    ASSERT_NE(item, nullptr);
    CImage empty;
    EXPECT_FALSE(empty.Init(UniqueGpBitmap(), parent_));
    CImage indicator;
    ASSERT_TRUE(indicator.Init(StillBitmap(), parent_));
    RECT rect{};
    ::GetWindowRect(item, &rect);
    EXPECT_EQ(rect.right - rect.left, 4);
    EXPECT_FALSE(indicator.HasPicture());
    indicator.SetPicture(StillBitmap());
    EXPECT_TRUE(indicator.HasPicture());
    indicator.SetPicture(UniqueGpBitmap());
    EXPECT_FALSE(indicator.HasPicture());
    indicator.SetText(L"40%");
    wchar_t text[16] = L"";
    ::GetWindowTextW(item, text, 16);
    EXPECT_STREQ(text, L"40%");
}

} // namespace
