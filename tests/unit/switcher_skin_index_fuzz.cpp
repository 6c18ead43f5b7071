// Any input: the skin archive index stays inside it, and the walk always ends.
#include "switcher/logic/SkinIndex.h"

#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"

using testing_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const switcher::TarBytes archive(data, size);

    std::size_t cursor = 0;
    std::size_t headers = 0;
    while (auto header = switcher::ReadTarEntry(archive, cursor)) {
        Check(header->header == cursor);
        Check(header->offset == cursor + switcher::kTarBlockSize);
        Check(header->size <= size - header->offset);
        Check(header->next > cursor && header->next >= header->offset + header->size);
        Check(header->path.size() <= switcher::kTarNameSize);
        cursor = header->next;
        ++headers;
    }

    const auto index = switcher::IndexTar(archive);
    Check(index.size() <= headers);
    unsigned sum = 0;
    for (const auto& [path, member] : index) {
        Check(member.offset >= switcher::kTarBlockSize &&
              member.offset % switcher::kTarBlockSize == 0);
        Check(member.size <= size && member.offset <= size - member.size);
        Check(std::memcmp(data + member.HeaderOffset(), path.data(), path.size()) == 0);
        // Touch every byte the index promises, so that the sanitizer sees any overrun.
        for (std::size_t i = 0; i < member.size; ++i) {
            sum += data[member.offset + i];
        }
    }
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
