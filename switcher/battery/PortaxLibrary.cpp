#include "switcher/battery/PortaxLibrary.h"

#include <utility>

namespace switcher {

bool PortaxLibrary::Load(const wchar_t* name) {
    Free();
    framework::UniqueModule module(::LoadLibraryW(name));
    if (!module) {
        return false;
    }
    const auto writeComm =
        framework::ProcAddress<notebook::EcWriteCommFn>(module.Get(), "EC_686CPort_WriteCOMM");
    const auto receiveComm =
        framework::ProcAddress<notebook::EcReceiveCommFn>(module.Get(), "EC_686CPort_ReceiveCOMM");
    if (writeComm == nullptr || receiveComm == nullptr) {
        return false; // the module is freed on the way out
    }
    module_ = std::move(module);
    writeComm_ = writeComm;
    receiveComm_ = receiveComm;
    return true;
}

void PortaxLibrary::Free() {
    writeComm_ = nullptr;
    receiveComm_ = nullptr;
    module_.Reset();
}

int PortaxLibrary::Write(std::uint8_t command, std::uint8_t data) {
    if (writeComm_ == nullptr) {
        return 0;
    }
    const unsigned char bytes[1] = {data};
    return writeComm_(command, 1, bytes);
}

std::uint8_t PortaxLibrary::Receive(std::uint8_t command, std::uint8_t input, int* result) {
    const unsigned char in[1] = {input};
    unsigned char out[1] = {0};
    const int status = receiveComm_ != nullptr ? receiveComm_(command, 1, in, 1, out) : 0;
    if (result != nullptr) {
        *result = status;
    }
    return out[0];
}

} // namespace switcher
