// Plays a multi-frame image (an animated GIF strip) on its owner window: one worker thread steps
// the image's active frame and asks the owner to repaint. The owner paints under Lock(), so a
// frame never changes in the middle of a draw. A single-frame image starts no thread.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <memory>

#include "framework/CriticalSection.h"
#include "framework/UniqueHandle.h"

namespace switcher {

class CTPAniImpl {
public:
    CTPAniImpl() = default;
    ~CTPAniImpl() { Destroy(); }
    CTPAniImpl(const CTPAniImpl&) = delete;
    CTPAniImpl& operator=(const CTPAniImpl&) = delete;

    // `image` stays owned by the caller and must outlive Destroy(). Returns whether a worker
    // runs.
    bool Start(HWND owner, Gdiplus::GpBitmap* image);
    // Stops and joins the worker; while waiting it keeps the owner's messages moving, since a
    // repaint the worker asked for needs this (the GUI) thread. Safe to call more than once.
    void Destroy();

    framework::CriticalSection& Lock() { return lock_; }
    bool Running() const { return static_cast<bool>(thread_); }
    UINT FrameCount() const { return frameCount_; }

private:
    static unsigned __stdcall thAni(void* self);
    void Animate();
    // Hundredths of a second that frame `index` stays up.
    UINT FrameDelay(UINT index) const;

    HWND owner_ = nullptr;
    Gdiplus::GpBitmap* image_ = nullptr;
    std::unique_ptr<unsigned char[]> delayProperty_;
    UINT frameCount_ = 0;
    std::atomic<bool> stop_{false};
    // Set with the stop flag, so that a worker sleeping out a long frame wakes at once.
    framework::UniqueKernelHandle stopEvent_;
    framework::UniqueKernelHandle thread_;
    framework::CriticalSection lock_;
};

} // namespace switcher
