#include "framework/Window.h"

#include <utility>

#include "framework/Module.h"
#include "framework/Trace.h"
#include "framework/UniqueHandle.h"

namespace framework {

namespace {

// The object whose window is being created on this thread, until the creation hook binds it.
thread_local Window* tCreating = nullptr;

} // namespace

// Arms the creation hook for one CreateWindowEx call: the hook binds the object to its window
// before the window's first message, whatever procedure its class has.
class Window::Creation {
public:
    explicit Creation(Window& window) : window_(window), outer_(tCreating) {
        if (window.hwnd_ != nullptr) {
            Trace("framework: Create on an object that already has window %p\n",
                  static_cast<void*>(window.hwnd_));
            return;
        }
        hook_.Reset(
            ::SetWindowsHookExW(WH_CBT, &Window::CreationHook, nullptr, ::GetCurrentThreadId()));
        if (!hook_) {
            Trace("framework: SetWindowsHookEx(WH_CBT) failed, error %lu\n", ::GetLastError());
            return;
        }
        tCreating = &window;
    }
    ~Creation() { tCreating = outer_; }
    Creation(const Creation&) = delete;
    Creation& operator=(const Creation&) = delete;

    bool Armed() const { return static_cast<bool>(hook_); }

    bool Finish(HWND hwnd) {
        if (hwnd == nullptr) {
            // The window, if it got as far as WM_NCCREATE, is destroyed and the object detached
            // (and maybe deleted by PostNcDestroy): it is not touched here.
            Trace("framework: CreateWindowEx failed, error %lu\n", ::GetLastError());
            return false;
        }
        if (FromHandle(hwnd) != &window_) {
            Trace("framework: window %p was created without its object\n",
                  static_cast<void*>(hwnd));
            ::DestroyWindow(hwnd);
            return false;
        }
        return true;
    }

private:
    Window& window_;
    Window* outer_;
    UniqueHook hook_;
};

bool Window::Create(const char* className, const char* title, const CreateOptions& options) {
    Creation creation(*this);
    if (!creation.Armed()) {
        return false;
    }
    const HWND hwnd = ::CreateWindowExA(options.exStyle, className, title, options.style, options.x,
                                        options.y, options.width, options.height, options.parent,
                                        options.menu, ModuleInstance(), this);
    return creation.Finish(hwnd);
}

bool Window::Create(const wchar_t* className, const wchar_t* title, const CreateOptions& options) {
    Creation creation(*this);
    if (!creation.Armed()) {
        return false;
    }
    const HWND hwnd = ::CreateWindowExW(options.exStyle, className, title, options.style, options.x,
                                        options.y, options.width, options.height, options.parent,
                                        options.menu, ModuleInstance(), this);
    return creation.Finish(hwnd);
}

LRESULT CALLBACK Window::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && tCreating != nullptr) {
        // The object is known by the creation parameter Create passed, so windows made along
        // the way (the input method's, a nested Create's) are not taken for ours.
        const auto* cbt = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (cbt->lpcs != nullptr && cbt->lpcs->lpCreateParams == static_cast<void*>(tCreating)) {
            Window* window = std::exchange(tCreating, nullptr);
            window->Attach(reinterpret_cast<HWND>(wParam), true);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace framework
