#include "switcher/controls/CTPAniImpl.h"

#include <process.h>

#include <vector>

#include "switcher/DebugTrace.h"
#include "switcher/controls/GdiplusHandles.h"

namespace switcher {

namespace {

// PropertyTagFrameDelay: one 32-bit delay per frame, in hundredths of a second.
constexpr PROPID kFrameDelayTag = 0x5100;
// A delay of 0 is common in GIF files and means "as fast as the viewer likes"; a floor keeps the
// worker from spinning.
constexpr DWORD kShortestFrameMs = 10;
// FrameDimensionTime, the frame dimension of animated images (the headers here lack it).
constexpr GUID kFrameDimensionTime = {
    0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};

} // namespace

bool CTPAniImpl::Start(HWND owner, Gdiplus::GpBitmap* image) {
    Destroy();
    owner_ = owner;
    image_ = image;
    frameCount_ = 0;
    if (image == nullptr) {
        return false;
    }
    UINT dimensions = 0;
    if (gdip::GdipImageGetFrameDimensionsCount(image, &dimensions) != Gdiplus::Ok ||
        dimensions == 0) {
        return false;
    }
    std::vector<GUID> ids(dimensions);
    if (gdip::GdipImageGetFrameDimensionsList(image, ids.data(), dimensions) != Gdiplus::Ok ||
        gdip::GdipImageGetFrameCount(image, &ids[0], &frameCount_) != Gdiplus::Ok) {
        frameCount_ = 0;
        return false;
    }
    if (frameCount_ <= 1) {
        return false;
    }
    UINT size = 0;
    if (gdip::GdipGetPropertyItemSize(image, kFrameDelayTag, &size) == Gdiplus::Ok && size > 0) {
        delayProperty_ = std::make_unique<unsigned char[]>(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(delayProperty_.get());
        if (gdip::GdipGetPropertyItem(image, kFrameDelayTag, size, item) != Gdiplus::Ok) {
            delayProperty_.reset();
        }
    }
    stop_ = false;
    stopEvent_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent_) {
        return false;
    }
    // Suspended first, so that the handle is stored before the worker can run.
    const uintptr_t thread =
        ::_beginthreadex(nullptr, 0, &CTPAniImpl::thAni, this, CREATE_SUSPENDED, nullptr);
    if (thread == 0) {
        return false;
    }
    thread_.Reset(reinterpret_cast<HANDLE>(thread));
    if (::ResumeThread(thread_.Get()) == static_cast<DWORD>(-1)) {
        // A worker that never runs would never end: Destroy would wait for it for ever.
        ::TerminateThread(thread_.Get(), 1);
        thread_.Reset();
        return false;
    }
    return true;
}

void CTPAniImpl::Destroy() {
    if (thread_) {
        DebugTrace(true, L"CTPAniImpl::Destroy", L"Start Destroy\n");
        stop_ = true;
        ::SetEvent(stopEvent_.Get());
        while (::WaitForSingleObject(thread_.Get(), 10) == WAIT_TIMEOUT) {
            MSG message;
            if (::PeekMessageW(&message, owner_, 0, 0, PM_REMOVE)) {
                ::DispatchMessageW(&message);
            }
        }
        thread_.Reset();
        DebugTrace(true, L"CTPAniImpl::Destroy", L"End Destroy\n");
    }
    stopEvent_.Reset();
    delayProperty_.reset();
}

unsigned __stdcall CTPAniImpl::thAni(void* self) {
    static_cast<CTPAniImpl*>(self)->Animate();
    DebugTrace(true, L"CTPAniImpl::thAni", L"Exit\n");
    return 0;
}

void CTPAniImpl::Animate() {
    UINT index = 0;
    while (!stop_) {
        DWORD wait = kShortestFrameMs;
        {
            framework::CriticalSectionLock hold(lock_);
            gdip::GdipImageSelectActiveFrame(image_, &kFrameDimensionTime, index);
            wait = FrameDelay(index) * 10;
            // Only marks the window: the paint runs later on the GUI thread, under this lock.
            ::InvalidateRect(owner_, nullptr, FALSE);
            index = (index + 1) % frameCount_;
        }
        if (wait < kShortestFrameMs) {
            wait = kShortestFrameMs;
        }
        ::WaitForSingleObject(stopEvent_.Get(), wait);
    }
}

UINT CTPAniImpl::FrameDelay(UINT index) const {
    if (!delayProperty_) {
        return 0;
    }
    const auto* item = reinterpret_cast<const Gdiplus::PropertyItem*>(delayProperty_.get());
    if (item->value == nullptr || (index + 1) * sizeof(UINT) > item->length) {
        return 0;
    }
    return static_cast<const UINT*>(item->value)[index];
}

} // namespace switcher
