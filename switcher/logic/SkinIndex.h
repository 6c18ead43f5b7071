// Index of the skin archive: the tar headers walked in place over the resource bytes.
//
// The archive is written by our build (GNU tar, old GNU format). Only three header fields are
// read: the name, the size and the magic. The walk is bounded by the resource size: a header or
// member data that does not fit, or a size field that is not octal, ends the index the same way
// the zero blocks at the end of a well-formed archive do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace switcher {

inline constexpr std::size_t kTarBlockSize = 512;
inline constexpr std::size_t kTarNameOffset = 0;
inline constexpr std::size_t kTarNameSize = 100;
inline constexpr std::size_t kTarSizeOffset = 124;
inline constexpr std::size_t kTarSizeDigits = 11;
inline constexpr std::size_t kTarMagicOffset = 257;
inline constexpr std::size_t kTarMagicSize = 8;
// Old GNU format: "ustar", two blanks, NUL (POSIX ustar has "ustar\0" "00" instead).
inline constexpr char kTarMagic[kTarMagicSize] = {'u', 's', 't', 'a', 'r', ' ', ' ', '\0'};

using TarBytes = std::span<const std::uint8_t>;

// One member header read at a cursor.
struct TarHeader {
    std::string path;       // name field up to its first NUL, at most 100 bytes
    std::size_t header = 0; // offset of the 512-byte header
    std::size_t offset = 0; // offset of the data, right behind the header
    std::size_t size = 0;   // data length; 0 for directories
    std::size_t next = 0;   // offset of the following header (data padded to 512)
};

// Where a member's bytes lie inside the archive.
struct TarMember {
    std::size_t offset = 0;
    std::size_t size = 0;

    std::size_t HeaderOffset() const { return offset - kTarBlockSize; }
};

// Byte-wise ordered, case-sensitive; the transparent comparator allows lookups by string_view.
using TarIndex = std::map<std::string, TarMember, std::less<>>;

// Reads the member header at `cursor` (its `next` is the cursor after it). Empty when the index
// ends there: the header does not fit, its magic differs, its size field is not 11 octal digits, or
// its data does not fit.
std::optional<TarHeader> ReadTarEntry(TarBytes archive, std::size_t cursor);

// Walks the headers from the start until the first one that ends the index. A later member
// with the same path replaces the earlier one.
TarIndex IndexTar(TarBytes archive);

inline TarIndex IndexTar(const void* bytes, std::size_t size) {
    return IndexTar(TarBytes(static_cast<const std::uint8_t*>(bytes), size));
}

struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size a PNG file gives in its header (the signature, then the IHDR chunk), read without
// decoding it: the start checks the skin's images this way and decodes them once the popup
// answers. Empty for anything else, a cut header, or a zero or out-of-range side (PNG allows
// at most 2^31 - 1).
std::optional<ImageSize> PngImageSize(TarBytes file);

} // namespace switcher
