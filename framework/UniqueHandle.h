// One move-only owner for every kind of Windows handle; each kind names its closer.
#pragma once

#include <windows.h>

#include <utility>

namespace framework {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }

    // For out-parameters of creating calls: closes what is held first.
    Handle* Put() {
        Reset();
        return &handle_;
    }

    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

    void Reset(Handle h = Traits::Invalid()) {
        Handle old = std::exchange(handle_, h);
        if (Traits::IsValid(old)) {
            Traits::Close(old);
        }
    }

private:
    Handle handle_ = Traits::Invalid();
};

template <typename H, auto CloseFn>
struct NullHandleTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { CloseFn(h); }
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

using UniqueKey = UniqueHandle<NullHandleTraits<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, ::CloseHandle>>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, ::DestroyMenu>>;
using UniqueGdiObject = UniqueHandle<NullHandleTraits<HGDIOBJ, ::DeleteObject>>;
using UniqueLocal = UniqueHandle<NullHandleTraits<HLOCAL, ::LocalFree>>;
using UniqueGlobal = UniqueHandle<NullHandleTraits<HGLOBAL, ::GlobalFree>>;
using UniqueHook = UniqueHandle<NullHandleTraits<HHOOK, ::UnhookWindowsHookEx>>;
using UniqueWinEventHook = UniqueHandle<NullHandleTraits<HWINEVENTHOOK, ::UnhookWinEvent>>;
// Typed GDI owners, so that a bitmap cannot be handed where a font is expected.
using UniqueBitmap = UniqueHandle<NullHandleTraits<HBITMAP, ::DeleteObject>>;
using UniqueBrush = UniqueHandle<NullHandleTraits<HBRUSH, ::DeleteObject>>;
using UniqueFont = UniqueHandle<NullHandleTraits<HFONT, ::DeleteObject>>;
// Only for DCs that were created (CreateCompatibleDC, CreateDC); GetDC and BeginPaint have their
// own scopes in WindowDC.h and PaintDC.h.
using UniqueDC = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;

// GetProcAddress gives a FARPROC; going through a plain pointer-to-function type is the
// documented way to convert it without the compiler's function-cast warning.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

} // namespace framework
