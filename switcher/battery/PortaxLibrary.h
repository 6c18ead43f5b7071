// The embedded-controller library PORTAX.DLL, bound at run time. One per process: the
// application loads it before the dialog exists and frees it at exit.
#pragma once

#include <windows.h>

#include <cstdint>

#include "NotebookInterfaces.h"
#include "framework/UniqueHandle.h"

namespace switcher {

inline constexpr wchar_t kPortaxLibraryName[] = L"PORTAX.DLL";

class PortaxLibrary {
public:
    PortaxLibrary() = default;
    PortaxLibrary(const PortaxLibrary&) = delete;
    PortaxLibrary& operator=(const PortaxLibrary&) = delete;

    // LoadEcLibrary: loads the library and resolves both entry points. A library without
    // either of them is freed again and the result is false.
    bool Load(const wchar_t* name = kPortaxLibraryName);
    // Frees the library and forgets both entry points; harmless when nothing is loaded.
    void Free();
    bool Loaded() const { return writeComm_ != nullptr && receiveComm_ != nullptr; }

    // One command with one data byte. The library's result is handed back for traces only.
    int Write(std::uint8_t command, std::uint8_t data);
    // One command with one input byte, reading one byte back. The byte starts as 0, so a call
    // that fails (or a library that is not loaded) reads 0.
    std::uint8_t Receive(std::uint8_t command, std::uint8_t input, int* result = nullptr);

private:
    framework::UniqueModule module_;
    notebook::EcWriteCommFn writeComm_ = nullptr;
    notebook::EcReceiveCommFn receiveComm_ = nullptr;
};

} // namespace switcher
