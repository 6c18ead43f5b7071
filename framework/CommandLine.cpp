#include "framework/CommandLine.h"

namespace framework {

namespace {

template <typename Char>
const Char* Tail(const Char* line) {
    if (line == nullptr) {
        return nullptr;
    }
    const Char* p = line;
    if (*p == Char('"')) {
        ++p;
        while (*p != Char{} && *p != Char('"')) {
            ++p;
        }
        if (*p == Char('"')) {
            ++p;
        }
    } else {
        while (*p != Char{} && *p != Char(' ') && *p != Char('\t')) {
            ++p;
        }
    }
    while (*p == Char(' ') || *p == Char('\t')) {
        ++p;
    }
    return p;
}

} // namespace

const char* CommandLineTail(const char* line) {
    return Tail(line);
}
const wchar_t* CommandLineTail(const wchar_t* line) {
    return Tail(line);
}

} // namespace framework
