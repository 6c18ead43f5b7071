#include "BatteryRequests.h"

namespace battery {

namespace {

void CopyBytes(void* to, const void* from, size_t size) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    for (size_t i = 0; i < size; ++i) {
        out[i] = in[i];
    }
}

template <typename Record>
bool ReadRecord(const void* input, size_t inputSize, Record& record) {
    if (input == nullptr || inputSize < sizeof(Record)) {
        return false;
    }
    CopyBytes(&record, input, sizeof(Record));
    return true;
}

template <typename Record>
Reply Give(const Record& record, void* output, size_t outputSize) {
    if (output == nullptr || outputSize < sizeof(Record)) {
        return {kStatusBufferTooSmall, 0};
    }
    CopyBytes(output, &record, sizeof(Record));
    return {kStatusSuccess, static_cast<uint32_t>(sizeof(Record))};
}

// Identity of a battery: the same pack taken out and put back gets a new tag all the same (the
// bay saw it empty), another pack put in while nobody looked gets one too. Only what a pack
// does not change while it is in use goes in: never the voltage or anything worked out with
// it, or every kept tag would go stale as the voltage drifts.
uint32_t Identity(const BayReadout& readout) {
    uint32_t hash = 2166136261u;
    auto mix = [&hash](const char* text) {
        for (; *text != '\0'; ++text) {
            hash = (hash ^ static_cast<unsigned char>(*text)) * 16777619u;
        }
        hash = (hash ^ 0xFFu) * 16777619u;
    };
    mix(readout.deviceName);
    mix(readout.manufacturer);
    mix(readout.serialNumber);
    for (const char c : readout.chemistry) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    const uint64_t design = static_cast<uint64_t>(readout.designRaw);
    for (int shift = 0; shift < 64; shift += 8) {
        hash = (hash ^ static_cast<uint32_t>((design >> shift) & 0xFF)) * 16777619u;
    }
    return hash;
}

// UTF-8 text as the zero-terminated UTF-16 the battery class hands out; bytes that are not
// UTF-8 become '?'.
size_t WideText(const char* text, uint16_t* out, size_t capacity) {
    size_t units = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0 && units + 1 < capacity) {
        uint32_t c = *p++;
        int follow = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0) {
            c = '?';
        } else if (follow > 0) {
            c &= 0x3Fu >> follow;
            for (; follow > 0; --follow) {
                if ((*p & 0xC0) != 0x80) {
                    c = '?';
                    break;
                }
                c = (c << 6) | (*p++ & 0x3F);
            }
            if (c > 0xFFFF) {
                c = '?'; // beyond the basic plane: not in a battery's name
            }
        }
        out[units++] = static_cast<uint16_t>(c);
    }
    out[units++] = 0;
    return units;
}

Reply GiveText(const char* text, void* output, size_t outputSize) {
    uint16_t wide[kNameSize];
    const size_t bytes = WideText(text, wide, kNameSize) * sizeof(uint16_t);
    if (output == nullptr || outputSize < bytes) {
        return {kStatusBufferTooSmall, 0};
    }
    CopyBytes(output, wide, bytes);
    return {kStatusSuccess, static_cast<uint32_t>(bytes)};
}

Reply GiveInformation(const BayReadout& readout, const QueryInformationRecord& query, void* output,
                      size_t outputSize) {
    switch (query.informationLevel) {
    case kLevelInformation: {
        InformationRecord info{};
        info.capabilities = kSystemBattery;
        info.technology = 1; // every battery in a power-supply tree is rechargeable
        CopyBytes(info.chemistry, readout.chemistry, 4);
        info.designedCapacity = readout.designCapacity;
        info.fullChargedCapacity = readout.fullCapacity;
        // The maker's alarms: warning at a tenth of the design capacity, low at 4 %.
        if (readout.designCapacity != kUnknownCapacity) {
            info.defaultAlert1 = readout.designCapacity / 25;
            info.defaultAlert2 = readout.designCapacity / 10;
        }
        info.cycleCount = readout.cycleCount;
        return Give(info, output, outputSize);
    }
    case kLevelGranularity: {
        // Whole milliwatt-hours over the whole range.
        const ReportingScale scale{1, readout.designCapacity != kUnknownCapacity
                                          ? readout.designCapacity
                                          : readout.fullCapacity};
        return Give(scale, output, outputSize);
    }
    case kLevelTemperature:
        if (!readout.hasTemperature) {
            return {kStatusInvalidDeviceRequest, 0};
        }
        return Give(readout.temperature, output, outputSize);
    case kLevelEstimatedTime: {
        const int32_t rate = query.atRate != 0 ? query.atRate : readout.rate;
        uint32_t seconds = kUnknownTime;
        if (rate < 0 && rate != kUnknownRate && readout.capacity != kUnknownCapacity) {
            const uint64_t estimate = uint64_t{readout.capacity} * 3600 / uint64_t(-int64_t{rate});
            seconds = estimate >= kUnknownTime ? kUnknownTime - 1 : static_cast<uint32_t>(estimate);
        }
        return Give(seconds, output, outputSize);
    }
    case kLevelDeviceName:
        return GiveText(readout.deviceName, output, outputSize);
    case kLevelManufactureDate: {
        if (!readout.hasDate) {
            return {kStatusInvalidDeviceRequest, 0};
        }
        const ManufactureDateRecord date{readout.day, readout.month, readout.year};
        return Give(date, output, outputSize);
    }
    case kLevelManufactureName:
        return GiveText(readout.manufacturer, output, outputSize);
    case kLevelUniqueId:
    case kLevelSerialNumber:
        return GiveText(readout.serialNumber, output, outputSize);
    default:
        return {kStatusInvalidDeviceRequest, 0};
    }
}

// Bounded text: what does not fit is cut, the terminator always stays.
class Text {
public:
    Text(char* buffer, size_t size) : buffer_(buffer), size_(size) {
        if (size_ > 0) {
            buffer_[0] = '\0';
        }
    }
    Text& Put(const char* text) {
        for (; *text != '\0'; ++text) {
            PutChar(*text);
        }
        return *this;
    }
    Text& Number(uint64_t value) {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0) {
            PutChar(digits[--n]);
        }
        return *this;
    }
    Text& Signed(int64_t value) {
        if (value < 0) {
            PutChar('-');
            return Number(uint64_t(-(value + 1)) + 1);
        }
        return Number(uint64_t(value));
    }
    Text& Hex(uint32_t value) {
        Put("0x");
        for (int shift = 28; shift >= 0; shift -= 4) {
            PutChar("0123456789ABCDEF"[(value >> shift) & 0xF]);
        }
        return *this;
    }
    Text& Pair(const char* name, uint64_t value) {
        return Blank().Put(name).Put("=").Number(value);
    }
    Text& HexPair(const char* name, uint32_t value) {
        return Blank().Put(name).Put("=").Hex(value);
    }
    // A quoted text argument, escaped as the journal's readers expect.
    Text& Quoted(const char* name, const char* text, size_t length) {
        Blank().Put(name).Put("=\"");
        for (size_t i = 0; i < length && text[i] != '\0'; ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\\' || c == '"') {
                PutChar('\\');
                PutChar(static_cast<char>(c));
            } else if (c < 0x20 || c >= 0x7F) {
                Put("\\x");
                PutChar("0123456789ABCDEF"[c >> 4]);
                PutChar("0123456789ABCDEF"[c & 0xF]);
            } else {
                PutChar(static_cast<char>(c));
            }
        }
        return Put("\"");
    }

    Text& Blank() {
        if (used_ > 0) {
            PutChar(' ');
        }
        return *this;
    }
    Text& PutRaw(char c) {
        if (used_ + 2 < size_) {
            buffer_[used_++] = c;
            buffer_[used_] = '\0';
        }
        return *this;
    }
    void End(char c) {
        if (size_ < 2) {
            return;
        }
        if (used_ + 1 >= size_) {
            used_ = size_ - 2;
        }
        buffer_[used_++] = c;
        buffer_[used_] = '\0';
    }
    Text& Two(unsigned value) { return Digit(value / 10).Digit(value % 10); }
    Text& Digit(unsigned value) {
        PutChar(static_cast<char>('0' + value % 10));
        return *this;
    }
    void PutChar(char c) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' '; // one call stays one line of tab-separated fields
        }
        if (used_ + 1 < size_) {
            buffer_[used_++] = c;
            buffer_[used_] = '\0';
        }
    }
    char* buffer_;
    size_t size_;
    size_t used_ = 0;
};

// The first word of a reply: the status as the journal writes an NTSTATUS.
void PutStatus(Text& text, uint32_t status) {
    text.Hex(status);
}

} // namespace

void JournalLine(const JournalStamp& stamp, const char* function, const char* arguments,
                 const char* result, char* buffer, size_t size) {
    Text text(buffer, size);
    text.Number(stamp.year).Put("-").Two(stamp.month).Put("-").Two(stamp.day).Put(" ");
    text.Two(stamp.hour).Put(":").Two(stamp.minute).Put(":").Two(stamp.second).Put(".");
    text.Digit(stamp.millisecond / 100).Two(stamp.millisecond % 100);
    text.PutRaw('\t').Number(stamp.process).PutRaw('\t').Put("NotebookBattery").PutRaw('\t');
    text.Put(function).PutRaw('\t').Put(arguments).PutRaw('\t').Put(result);
    // Room is kept for the line feed even when the line was cut.
    text.End('\n');
}

uint32_t CurrentTag(BayMemory& memory, const BayReadout& readout) {
    if (!readout.present) {
        memory.tag = kTagInvalid;
        return kTagInvalid;
    }
    const uint32_t identity = Identity(readout);
    if (memory.tag == kTagInvalid || identity != memory.identity) {
        ++memory.insertions;
        if (memory.insertions == kTagInvalid) {
            ++memory.insertions;
        }
        memory.tag = memory.insertions;
        memory.identity = identity;
    }
    return memory.tag;
}

bool StatusChanged(const WaitStatusRecord& wait, uint32_t currentTag, const BayReadout& readout) {
    if (wait.timeout == 0 || currentTag == kTagInvalid || currentTag != wait.batteryTag) {
        return true;
    }
    if (readout.powerState != wait.powerState) {
        return true;
    }
    return readout.capacity != kUnknownCapacity &&
           (readout.capacity < wait.lowCapacity || readout.capacity > wait.highCapacity);
}

uint32_t HoldMs(uint32_t code, const void* input, size_t inputSize) {
    uint32_t wait = 0;
    uint32_t limit = 0;
    WaitStatusRecord status{};
    if (code == kIoctlQueryTag && ReadRecord(input, inputSize, wait)) {
        limit = kMaxTagWaitMs;
    } else if (code == kIoctlQueryStatus && ReadRecord(input, inputSize, status)) {
        wait = status.timeout;
        limit = kMaxStatusWaitMs;
    }
    return wait < limit ? wait : limit;
}

Reply Answer(uint32_t code, BayMemory& memory, const BayReadout& readout, const void* input,
             size_t inputSize, void* output, size_t outputSize) {
    switch (code) {
    case kIoctlQueryTag: {
        // No input at all asks for the tag without waiting, as the battery class takes it.
        uint32_t wait = 0;
        if (inputSize != 0 && !ReadRecord(input, inputSize, wait)) {
            return {kStatusInvalidParameter, 0};
        }
        if (output == nullptr || outputSize < sizeof(uint32_t)) {
            return {kStatusBufferTooSmall, 0};
        }
        const uint32_t tag = CurrentTag(memory, readout);
        if (tag == kTagInvalid) {
            return {kStatusNoSuchDevice, 0};
        }
        return Give(tag, output, outputSize);
    }
    case kIoctlQueryInformation: {
        QueryInformationRecord query{};
        if (!ReadRecord(input, inputSize, query)) {
            return {kStatusInvalidParameter, 0};
        }
        const uint32_t tag = CurrentTag(memory, readout);
        if (tag == kTagInvalid || query.batteryTag != tag) {
            return {kStatusNoSuchDevice, 0};
        }
        return GiveInformation(readout, query, output, outputSize);
    }
    case kIoctlQueryStatus: {
        WaitStatusRecord wait{};
        if (!ReadRecord(input, inputSize, wait)) {
            return {kStatusInvalidParameter, 0};
        }
        const uint32_t tag = CurrentTag(memory, readout);
        if (tag == kTagInvalid || wait.batteryTag != tag) {
            return {kStatusNoSuchDevice, 0};
        }
        const StatusRecord status{readout.powerState, readout.capacity, readout.voltage,
                                  readout.rate};
        return Give(status, output, outputSize);
    }
    case kIoctlSetInformation:
        // A real class driver takes the request and its miniport refuses what it cannot do;
        // a power-supply tree offers nothing to set (no charge control, no critical bias).
        return {kStatusNotSupported, 0};
    default:
        return {kStatusInvalidDeviceRequest, 0};
    }
}

const char* RequestName(uint32_t code) {
    switch (code) {
    case kIoctlQueryTag:
        return "QueryTag";
    case kIoctlQueryInformation:
        return "QueryInformation";
    case kIoctlQueryStatus:
        return "QueryStatus";
    default:
        return "DeviceControl";
    }
}

void DescribeRequest(uint32_t code, unsigned bay, const void* input, size_t inputSize,
                     size_t outputSize, char* buffer, size_t size) {
    Text text(buffer, size);
    text.Pair("bay", bay);
    uint32_t wait = 0;
    QueryInformationRecord query{};
    WaitStatusRecord status{};
    if (code == kIoctlQueryTag && ReadRecord(input, inputSize, wait)) {
        text.Pair("timeout", wait);
    } else if (code == kIoctlQueryInformation && ReadRecord(input, inputSize, query)) {
        text.Pair("tag", query.batteryTag).Pair("level", uint32_t(query.informationLevel));
        text.Blank().Put("rate=").Signed(query.atRate);
    } else if (code == kIoctlQueryStatus && ReadRecord(input, inputSize, status)) {
        text.Pair("tag", status.batteryTag).Pair("timeout", status.timeout);
        text.HexPair("power_state", status.powerState);
    } else {
        if (code != kIoctlQueryTag && code != kIoctlQueryInformation && code != kIoctlQueryStatus) {
            text.HexPair("code", code);
        }
        text.Pair("input_count", inputSize);
    }
    text.Pair("output_count", outputSize);
}

void DescribeReply(uint32_t code, const void* input, size_t inputSize, const Reply& reply,
                   const void* output, char* buffer, size_t size) {
    Text text(buffer, size);
    PutStatus(text, reply.status);
    if (reply.status != kStatusSuccess || output == nullptr) {
        return;
    }
    uint32_t value = 0;
    if (code == kIoctlQueryTag && ReadRecord(output, reply.bytes, value)) {
        text.Pair("tag", value);
        return;
    }
    StatusRecord status{};
    if (code == kIoctlQueryStatus && ReadRecord(output, reply.bytes, status)) {
        text.HexPair("power_state", status.powerState).Pair("capacity", status.capacity);
        text.Pair("voltage", status.voltage).Blank().Put("rate=").Signed(status.rate);
        return;
    }
    text.Pair("bytes", reply.bytes);
    QueryInformationRecord query{};
    if (code != kIoctlQueryInformation || !ReadRecord(input, inputSize, query)) {
        return;
    }
    InformationRecord info{};
    switch (query.informationLevel) {
    case kLevelInformation:
        if (ReadRecord(output, reply.bytes, info)) {
            text.Quoted("chemistry", info.chemistry, 4).Pair("full", info.fullChargedCapacity);
            text.Pair("design", info.designedCapacity).Pair("cycles", info.cycleCount);
        }
        break;
    case kLevelDeviceName:
    case kLevelManufactureName:
    case kLevelUniqueId:
    case kLevelSerialNumber: {
        // The wide text narrowed for the journal; non-ASCII shows as escapes.
        char narrow[kNameSize];
        const auto* wide = static_cast<const unsigned char*>(output);
        size_t n = 0;
        for (; n + 1 < kNameSize && 2 * n + 1 < reply.bytes; ++n) {
            const uint32_t unit = wide[2 * n] | (uint32_t{wide[2 * n + 1]} << 8);
            if (unit == 0) {
                break;
            }
            narrow[n] = unit < 0x80 ? static_cast<char>(unit) : '?';
        }
        narrow[n] = '\0';
        text.Quoted("text", narrow, n);
        break;
    }
    default:
        if (ReadRecord(output, reply.bytes, value)) {
            text.Pair("value", value);
        }
        break;
    }
}

} // namespace battery
