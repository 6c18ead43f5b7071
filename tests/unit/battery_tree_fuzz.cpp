// Any content of the power-supply tree's attribute files, through the battery driver's rules:
// the readout and the answers to every request never read or write past their buffers, give
// only the statuses and sizes of the battery class, and the same tree always reads the same.
// The input is the files' contents one after another, each ended by the byte 0xFF, in the
// order of kFiles below; a file the input does not reach is missing.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "BatteryRequests.h"
#include "FuzzCheck.h"

using namespace battery;
using testing_support::Check;

namespace {

const char* const kSupplies[] = {"AC", "BAT0", "BAT1"};
const char* const kAttributes[] = {"type",
                                   "scope",
                                   "online",
                                   "present",
                                   "status",
                                   "capacity_level",
                                   "voltage_now",
                                   "charge_now",
                                   "charge_full",
                                   "charge_full_design",
                                   "energy_now",
                                   "energy_full",
                                   "energy_full_design",
                                   "current_now",
                                   "power_now",
                                   "cycle_count",
                                   "technology",
                                   "temp",
                                   "manufacture_year",
                                   "manufacture_month",
                                   "manufacture_day",
                                   "model_name",
                                   "manufacturer",
                                   "serial_number"};
constexpr size_t kAttributeCount = sizeof kAttributes / sizeof kAttributes[0];

struct FuzzTree {
    std::vector<std::string> files; // supply-major, attribute-minor
    std::vector<bool> present;

    static bool Read(void* context, const char* supply, const char* name, char* text, size_t size) {
        const auto* self = static_cast<const FuzzTree*>(context);
        for (size_t s = 0; s < 3; ++s) {
            for (size_t a = 0; a < kAttributeCount; ++a) {
                const size_t i = s * kAttributeCount + a;
                if (std::strcmp(supply, kSupplies[s]) == 0 &&
                    std::strcmp(name, kAttributes[a]) == 0) {
                    if (!self->present[i] || size < 2) {
                        return false;
                    }
                    // As the driver reads a file: at most size - 1 bytes, then a terminator.
                    const size_t got = std::min(self->files[i].size(), size - 1);
                    std::memcpy(text, self->files[i].data(), got);
                    text[got] = '\0';
                    return true;
                }
            }
        }
        return false;
    }
    static bool Entry(void*, unsigned index, char* name, size_t size) {
        if (index >= 3 || size < 5) {
            return false;
        }
        std::strcpy(name, kSupplies[index]);
        return true;
    }
};

bool Terminated(const char* text, size_t size) {
    return std::memchr(text, '\0', size) != nullptr;
}

bool KnownStatus(uint32_t status) {
    return status == kStatusSuccess || status == kStatusInvalidParameter ||
           status == kStatusNoSuchDevice || status == kStatusInvalidDeviceRequest ||
           status == kStatusBufferTooSmall;
}

// One request into an output with guard bytes around it; the reply stays inside.
void Ask(uint32_t code, BayMemory& memory, const BayReadout& readout, const void* input,
         size_t inputSize, size_t outputSize) {
    constexpr size_t kGuard = 16;
    std::vector<unsigned char> buffer(outputSize + 2 * kGuard, 0xA5);
    const Reply reply =
        Answer(code, memory, readout, input, inputSize, buffer.data() + kGuard, outputSize);
    Check(KnownStatus(reply.status));
    Check(reply.bytes <= outputSize);
    Check(reply.status == kStatusSuccess || reply.bytes == 0);
    for (size_t i = 0; i < kGuard; ++i) {
        Check(buffer[i] == 0xA5 && buffer[kGuard + outputSize + i] == 0xA5);
    }
    char text[96];
    DescribeRequest(code, 0, input, inputSize, outputSize, text, sizeof text);
    Check(Terminated(text, sizeof text));
    DescribeReply(code, input, inputSize, reply, buffer.data() + kGuard, text, sizeof text);
    Check(Terminated(text, sizeof text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTree tree;
    tree.files.resize(3 * kAttributeCount);
    tree.present.assign(3 * kAttributeCount, false);
    size_t file = 0;
    for (size_t i = 0; i < size && file < tree.files.size(); ++i) {
        if (data[i] == 0xFF) {
            tree.present[file++] = true;
            continue;
        }
        tree.files[file].push_back(static_cast<char>(data[i]));
    }
    const SupplyTree access{&FuzzTree::Read, &FuzzTree::Entry, &tree};
    const bool online = ReadAcOnline(access);
    for (unsigned bay = 0; bay < 2; ++bay) {
        const BayReadout readout = ReadBay(access, bay, online);
        Check(Terminated(readout.deviceName, kNameSize));
        Check(Terminated(readout.manufacturer, kNameSize));
        Check(Terminated(readout.serialNumber, kNameSize));
        Check(readout.present || readout.powerState == 0);

        BayMemory memory;
        const uint32_t tag = CurrentTag(memory, readout);
        Check((tag == kTagInvalid) == !readout.present);
        Check(CurrentTag(memory, ReadBay(access, bay, online)) == tag); // same tree, same tag

        const uint32_t wait = 0;
        for (const size_t out : {size_t{0}, size_t{3}, size_t{4}, size_t{64}}) {
            Ask(kIoctlQueryTag, memory, readout, &wait, sizeof wait, out);
        }
        Ask(kIoctlQueryTag, memory, readout, &wait, 2, 4);
        const WaitStatusRecord status{tag, 0, 0, 0, 0};
        for (const size_t out : {size_t{15}, size_t{16}, size_t{40}}) {
            Ask(kIoctlQueryStatus, memory, readout, &status, sizeof status, out);
        }
        (void)StatusChanged(status, tag, readout);
        for (int32_t level = -1; level <= 9; ++level) {
            const QueryInformationRecord query{tag, level, -1000};
            for (const size_t out :
                 {size_t{0}, size_t{4}, size_t{8}, size_t{36}, size_t{50}, size_t{200}}) {
                Ask(kIoctlQueryInformation, memory, readout, &query, sizeof query, out);
            }
        }
        Ask(0x294048, memory, readout, &status, sizeof status, 64);
    }
    return 0;
}
