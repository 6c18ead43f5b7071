// GDI+ start-up: the token GdiplusStartup hands out is owned like any other handle and shut
// down when its owner lets go of it (Reset() to choose the moment).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "framework/UniqueHandle.h"

namespace framework {

struct GdiplusTokenTraits {
    using Handle = ULONG_PTR;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h) { Gdiplus::GdiplusShutdown(h); }
};

using UniqueGdiplusToken = UniqueHandle<GdiplusTokenTraits>;

// Version 1, no debug callback, GDI+'s background thread and external codecs left on.
inline UniqueGdiplusToken StartGdiplus() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return {};
    }
    return UniqueGdiplusToken(token);
}

} // namespace framework
