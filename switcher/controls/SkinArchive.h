// The skin archive in memory: every member of the "tar" resource copied once into its own
// movable global block behind a COM stream, so that GDI+ can make bitmaps from it by path.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "framework/UniqueHandle.h"
#include "switcher/logic/SkinIndex.h"

namespace switcher {

inline void ReleaseComObject(IUnknown* object) {
    object->Release();
}
inline void DisposeGdiplusImage(Gdiplus::GpBitmap* bitmap) {
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
}

// Holds one GlobalLock on the block; closing it is the matching GlobalUnlock.
using UniqueGlobalLock =
    framework::UniqueHandle<framework::NullHandleTraits<HGLOBAL, ::GlobalUnlock>>;
using UniqueStream =
    framework::UniqueHandle<framework::NullHandleTraits<IStream*, ReleaseComObject>>;
// GDI+ bitmaps of the flat API (GdipDisposeImage), not GDI's HBITMAP.
using UniqueGpBitmap =
    framework::UniqueHandle<framework::NullHandleTraits<Gdiplus::GpBitmap*, DisposeGdiplusImage>>;

// One member: a copy of its header and, for a non-empty member, its bytes in a block that stays
// locked for the entry's whole life.
class SkinEntry {
public:
    SkinEntry() = default;
    // Copies the member out of the archive; header and data must lie inside it.
    SkinEntry(TarBytes archive, const TarMember& member);
    ~SkinEntry() { Release(); }

    SkinEntry(const SkinEntry&) = delete;
    SkinEntry& operator=(const SkinEntry&) = delete;
    SkinEntry(SkinEntry&& other) noexcept;
    SkinEntry& operator=(SkinEntry&& other) noexcept;

    const std::array<std::uint8_t, kTarBlockSize>& Header() const { return header_; }
    HGLOBAL Block() const { return block_.Get(); }
    // Null for directories and empty files, and when the stream or the lock could not be made.
    IStream* Stream() const { return stream_.Get(); }
    const void* Data() const { return data_; }
    std::size_t Size() const { return size_; }

    // The stream first (it refers to the block), then the lock, then the block itself.
    void Release();

private:
    std::array<std::uint8_t, kTarBlockSize> header_{};
    framework::UniqueGlobal block_;
    UniqueGlobalLock lock_;
    UniqueStream stream_;
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

class SkinArchive {
public:
    using Entries = std::map<std::string, SkinEntry, std::less<>>;

    SkinArchive() = default;
    ~SkinArchive() { Release(); }

    SkinArchive(const SkinArchive&) = delete;
    SkinArchive& operator=(const SkinArchive&) = delete;
    SkinArchive(SkinArchive&& other) noexcept : entries_(std::move(other.entries_)) {}
    SkinArchive& operator=(SkinArchive&& other) noexcept;

    // A later member with the same path replaces (and releases) the earlier one.
    void Insert(std::string path, SkinEntry entry);
    // Exact, case-sensitive lookup.
    const SkinEntry* Find(std::string_view path) const;
    const Entries& All() const { return entries_; }
    std::size_t Count() const { return entries_.size(); }

    // Releases every entry in path order; the map's own destruction order is unspecified.
    void Release();

private:
    Entries entries_;
};

// The module's "tar" resource 100, loaded and locked. Resource memory belongs to the module:
// nothing to free, and it stays put while the module is loaded. All empty when it is missing.
struct SkinResource {
    HGLOBAL handle = nullptr;
    const void* data = nullptr;
    std::size_t size = 0;
};
SkinResource FindSkinResource(HMODULE module);

// Indexes the archive in place (IndexTar) and copies each member that the index keeps; `bytes`
// is the locked resource and `size` its SizeofResource.
SkinArchive LoadSkinArchive(const void* bytes, std::size_t size);
inline SkinArchive LoadSkinArchive(const SkinResource& resource) {
    return LoadSkinArchive(resource.data, resource.size);
}

// The member's stream, rewound to its start, or null when the member is missing or has no
// stream. The stream belongs to the archive: the caller neither adds a reference nor releases it.
IStream* OpenSkinStream(const SkinArchive& archive, std::string_view path);

// The size of the PNG member at `path` from its header, without decoding it; empty when the
// member is missing or no PNG.
std::optional<ImageSize> SkinImageSize(const SkinArchive& archive, std::string_view path);

// A new 32-bit ARGB bitmap of the rectangle (x, 0, width, height), or null. The caller owns it.
Gdiplus::GpBitmap* CutImageFrame(Gdiplus::GpBitmap* bitmap, INT x, INT width, INT height);

} // namespace switcher
