#include "switcher/logic/SkinIndex.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace switcher {

namespace {

// The size field holds 11 octal digits and a terminator. The value may need 33 bits, so it is
// gathered in 64 bits; anything that is not a digit makes the header unusable.
std::optional<std::uint64_t> ParseTarSize(const std::uint8_t* field) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < kTarSizeDigits; ++i) {
        const std::uint8_t c = field[i];
        if (c < '0' || c > '7') {
            return std::nullopt;
        }
        value = (value << 3) | static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::size_t NameLength(const std::uint8_t* name) {
    const auto* end = name + kTarNameSize;
    return static_cast<std::size_t>(std::find(name, end, std::uint8_t{0}) - name);
}

} // namespace

std::optional<TarHeader> ReadTarEntry(TarBytes archive, std::size_t cursor) {
    const std::size_t total = archive.size();
    if (cursor > total || total - cursor < kTarBlockSize) {
        return std::nullopt;
    }
    const std::uint8_t* block = archive.data() + cursor;
    if (std::memcmp(block + kTarMagicOffset, kTarMagic, kTarMagicSize) != 0) {
        return std::nullopt;
    }
    const auto size = ParseTarSize(block + kTarSizeOffset);
    const std::size_t dataOffset = cursor + kTarBlockSize;
    if (!size || *size > total - dataOffset) {
        return std::nullopt;
    }

    TarHeader header;
    header.path.assign(reinterpret_cast<const char*>(block + kTarNameOffset),
                       NameLength(block + kTarNameOffset));
    header.header = cursor;
    header.offset = dataOffset;
    header.size = static_cast<std::size_t>(*size);
    // Data is padded to whole blocks; a last member whose padding was cut off still counts,
    // and the header after it simply does not fit.
    const std::size_t padded = (header.size + kTarBlockSize - 1) / kTarBlockSize * kTarBlockSize;
    header.next = padded > total - dataOffset ? total : dataOffset + padded;
    return header;
}

TarIndex IndexTar(TarBytes archive) {
    TarIndex index;
    std::size_t cursor = 0;
    while (auto header = ReadTarEntry(archive, cursor)) {
        index.insert_or_assign(std::move(header->path), TarMember{header->offset, header->size});
        cursor = header->next;
    }
    return index;
}

namespace {

std::uint32_t BigEndian32(TarBytes bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | static_cast<std::uint32_t>(bytes[at + 3]);
}

} // namespace

std::optional<ImageSize> PngImageSize(TarBytes file) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Signature, the chunk's length (13) and type, width and height.
    constexpr std::size_t kHeaderEnd = 24;
    if (file.size() < kHeaderEnd || !std::equal(std::begin(kSignature), std::end(kSignature),
                                                file.begin()) ||
        BigEndian32(file, 8) != 13 || file[12] != 'I' || file[13] != 'H' || file[14] != 'D' ||
        file[15] != 'R') {
        return std::nullopt;
    }
    const ImageSize size{BigEndian32(file, 16), BigEndian32(file, 20)};
    constexpr std::uint32_t kLargest = 0x7FFFFFFF;
    if (size.width == 0 || size.height == 0 || size.width > kLargest || size.height > kLargest) {
        return std::nullopt;
    }
    return size;
}

} // namespace switcher
