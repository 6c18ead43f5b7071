#include "switcher/controls/SkinArchive.h"

#include <cstring>

#include "switcher/SwitcherIds.h"

namespace switcher {

SkinEntry::SkinEntry(TarBytes archive, const TarMember& member) : size_(member.size) {
    std::memcpy(header_.data(), archive.data() + member.HeaderOffset(), kTarBlockSize);
    if (size_ == 0) {
        return; // directories: no block, no stream
    }
    // GMEM_MOVEABLE | GMEM_ZEROINIT (0x42): what CreateStreamOnHGlobal expects to own a view of.
    block_.Reset(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size_));
    if (!block_) {
        return;
    }
    // FALSE: the stream must not free the block; the entry does, after the stream is gone.
    if (FAILED(::CreateStreamOnHGlobal(block_.Get(), FALSE, stream_.Put()))) {
        return;
    }
    data_ = ::GlobalLock(block_.Get());
    if (data_ == nullptr) {
        // The member stays present, without a stream; the block is freed with the entry.
        stream_.Reset();
        return;
    }
    lock_.Reset(block_.Get());
    std::memcpy(data_, archive.data() + member.offset, size_);
}

SkinEntry::SkinEntry(SkinEntry&& other) noexcept
    : header_(other.header_), block_(std::move(other.block_)), lock_(std::move(other.lock_)),
      stream_(std::move(other.stream_)), data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

SkinEntry& SkinEntry::operator=(SkinEntry&& other) noexcept {
    if (this != &other) {
        Release();
        header_ = other.header_;
        block_ = std::move(other.block_);
        lock_ = std::move(other.lock_);
        stream_ = std::move(other.stream_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void SkinEntry::Release() {
    stream_.Reset();
    lock_.Reset();
    data_ = nullptr;
    block_.Reset();
}

SkinArchive& SkinArchive::operator=(SkinArchive&& other) noexcept {
    if (this != &other) {
        Release();
        entries_ = std::move(other.entries_);
    }
    return *this;
}

void SkinArchive::Insert(std::string path, SkinEntry entry) {
    entries_.insert_or_assign(std::move(path), std::move(entry));
}

const SkinEntry* SkinArchive::Find(std::string_view path) const {
    auto it = entries_.find(path);
    return it == entries_.end() ? nullptr : &it->second;
}

void SkinArchive::Release() {
    for (auto& [path, entry] : entries_) {
        entry.Release();
    }
    entries_.clear();
}

SkinResource FindSkinResource(HMODULE module) {
    SkinResource found;
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_SKIN), L"tar");
    if (resource == nullptr) {
        return found;
    }
    found.handle = ::LoadResource(module, resource);
    found.data = found.handle != nullptr ? ::LockResource(found.handle) : nullptr;
    found.size = found.data != nullptr ? ::SizeofResource(module, resource) : 0;
    return found;
}

SkinArchive LoadSkinArchive(const void* bytes, std::size_t size) {
    SkinArchive archive;
    if (bytes == nullptr) {
        return archive;
    }
    const TarBytes view(static_cast<const std::uint8_t*>(bytes), size);
    // The index has already let a later member replace an earlier one of the same path, so only
    // the members that stay are copied.
    for (auto& [path, member] : IndexTar(view)) {
        archive.Insert(path, SkinEntry(view, member));
    }
    return archive;
}

std::optional<ImageSize> SkinImageSize(const SkinArchive& archive, std::string_view path) {
    const SkinEntry* entry = archive.Find(path);
    if (entry == nullptr || entry->Data() == nullptr) {
        return std::nullopt;
    }
    return PngImageSize(TarBytes(static_cast<const std::uint8_t*>(entry->Data()), entry->Size()));
}

IStream* OpenSkinStream(const SkinArchive& archive, std::string_view path) {
    const SkinEntry* entry = archive.Find(path);
    if (entry == nullptr || entry->Stream() == nullptr) {
        return nullptr;
    }
    // A stream read once by an earlier decode sits at its end; every caller gets it from the top.
    LARGE_INTEGER start{};
    if (FAILED(entry->Stream()->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return nullptr;
    }
    return entry->Stream();
}

Gdiplus::GpBitmap* CutImageFrame(Gdiplus::GpBitmap* bitmap, INT x, INT width, INT height) {
    if (bitmap == nullptr) {
        return nullptr;
    }
    Gdiplus::GpBitmap* frame = nullptr;
    if (Gdiplus::DllExports::GdipCloneBitmapAreaI(x, 0, width, height, PixelFormat32bppARGB, bitmap,
                                                  &frame) != Gdiplus::Ok) {
        return nullptr;
    }
    return frame;
}

} // namespace switcher
