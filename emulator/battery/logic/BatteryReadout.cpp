#include "BatteryReadout.h"

namespace battery {

namespace {

// Anything beyond these is not a notebook battery but a broken file.
constexpr int64_t kMaxNumber = int64_t{1} << 53;
constexpr int64_t kMaxMicroVolts = 1000000000;        // 1 kV
constexpr int64_t kMaxMicroAmpHours = 1000000000;     // 1 kAh, also the limit for µA
constexpr int64_t kMaxMicroWattHours = 4000000000000; // keeps the result within 32 bits
constexpr unsigned kMaxSupplies = 32;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool Same(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The attribute's text without surrounding blanks (sysfs ends every value with a line feed);
// `cut` tells whether the file went on past what the buffer holds.
bool ReadText(const SupplyTree& tree, const char* supply, const char* name, char* text,
              size_t size, bool* cut = nullptr) {
    if (size == 0) {
        return false;
    }
    text[0] = '\0';
    if (!tree.read(tree.context, supply, name, text, size)) {
        text[0] = '\0';
        return false;
    }
    text[size - 1] = '\0';
    if (cut != nullptr) {
        size_t length = 0;
        while (text[length] != '\0') {
            ++length;
        }
        *cut = length == size - 1;
    }
    size_t begin = 0;
    while (IsBlank(text[begin])) {
        ++begin;
    }
    size_t end = begin;
    for (size_t i = begin; text[i] != '\0'; ++i) {
        if (!IsBlank(text[i])) {
            end = i + 1;
        }
    }
    size_t length = end - begin;
    for (size_t i = 0; i < length; ++i) {
        text[i] = text[begin + i];
    }
    text[length] = '\0';
    return true;
}

bool ReadNumber(const SupplyTree& tree, const char* supply, const char* name, int64_t& value,
                int64_t low, int64_t high) {
    // A number the buffer cannot hold whole is not read from its first part.
    char text[64];
    bool cut = false;
    return ReadText(tree, supply, name, text, sizeof text, &cut) && !cut &&
           ParseNumber(text, value) && value >= low && value <= high;
}

uint32_t Clamp32(int64_t value) {
    if (value < 0) {
        return 0;
    }
    return value >= 0xFFFFFFFF ? 0xFFFFFFFE : static_cast<uint32_t>(value);
}

// µAh × µV / 10^9 = mWh, truncated as Wine truncates it.
uint32_t MilliWattHours(int64_t microAmpHours, int64_t microVolts) {
    return Clamp32(microAmpHours * microVolts / 1000000000);
}

// The charge (µAh, with the voltage) or, on batteries that report energy, the energy (µWh).
uint32_t ReadCapacity(const SupplyTree& tree, const char* supply, const char* charge,
                      const char* energy, int64_t microVolts) {
    int64_t value = 0;
    if (microVolts > 0 && ReadNumber(tree, supply, charge, value, 0, kMaxMicroAmpHours)) {
        return MilliWattHours(value, microVolts);
    }
    if (ReadNumber(tree, supply, energy, value, 0, kMaxMicroWattHours)) {
        return Clamp32(value / 1000);
    }
    return kUnknownCapacity;
}

void ReadName(const SupplyTree& tree, const char* supply, const char* name, char* text) {
    ReadText(tree, supply, name, text, kNameSize);
}

} // namespace

bool ParseNumber(const char* text, int64_t& value) {
    const char* p = text;
    while (IsBlank(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    int64_t number = 0;
    while (*p >= '0' && *p <= '9') {
        number = number * 10 + (*p - '0');
        if (number > kMaxNumber) {
            return false;
        }
        ++p;
    }
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p != '\0') {
        return false;
    }
    value = negative ? -number : number;
    return true;
}

void ChemistryFor(const char* technology, char chemistry[4]) {
    static constexpr struct {
        const char* technology;
        char windows[4];
    } kChemistries[] = {
        {"NiMH", {'N', 'i', 'M', 'H'}},    {"Li-ion", {'L', 'I', 'O', 'N'}},
        {"Li-poly", {'L', 'i', 'P', 'o'}}, {"LiFe", {'L', 'i', 'F', 'e'}},
        {"NiCd", {'N', 'i', 'C', 'd'}},    {"LiMn", {'L', 'i', 'M', 'n'}},
    };
    for (int i = 0; i < 4; ++i) {
        chemistry[i] = '\0';
    }
    for (const auto& known : kChemistries) {
        if (Same(technology, known.technology)) {
            for (int i = 0; i < 4; ++i) {
                chemistry[i] = known.windows[i];
            }
            return;
        }
    }
}

bool ReadAcOnline(const SupplyTree& tree) {
    bool mainsSeen = false;
    char supply[kNameSize];
    char text[16];
    for (unsigned i = 0; i < kMaxSupplies && tree.entry(tree.context, i, supply, sizeof supply);
         ++i) {
        // A device's own battery (a mouse, a headset) powers nothing of the notebook.
        if (ReadText(tree, supply, "scope", text, sizeof text) && Same(text, "Device")) {
            continue;
        }
        if (!ReadText(tree, supply, "type", text, sizeof text) || !Same(text, "Mains")) {
            continue;
        }
        mainsSeen = true;
        int64_t online = 0;
        if (ReadNumber(tree, supply, "online", online, 0, 1) && online == 1) {
            return true;
        }
    }
    return !mainsSeen;
}

BayReadout ReadBay(const SupplyTree& tree, unsigned bay, bool acOnline) {
    BayReadout out;
    if (bay >= kMaxBays) {
        return out;
    }
    const char supply[] = {'B', 'A', 'T', static_cast<char>('0' + bay), '\0'};
    char text[kNameSize];
    if (ReadText(tree, supply, "scope", text, sizeof text) && Same(text, "Device")) {
        return out;
    }
    if (!ReadText(tree, supply, "type", text, sizeof text) || !Same(text, "Battery")) {
        return out;
    }
    int64_t number = 0;
    if (ReadNumber(tree, supply, "present", number, 0, 1) && number == 0) {
        return out;
    }
    out.present = true;

    ReadText(tree, supply, "status", text, sizeof text);
    const bool charging = Same(text, "Charging");
    if (acOnline) {
        out.powerState |= kPowerOnLine;
    }
    if (charging) {
        out.powerState |= kCharging;
    } else if (Same(text, "Discharging")) {
        out.powerState |= kDischarging;
    }
    if (ReadText(tree, supply, "capacity_level", text, sizeof text) && Same(text, "Critical")) {
        out.powerState |= kCritical;
    }

    int64_t microVolts = 0;
    if (!ReadNumber(tree, supply, "voltage_now", microVolts, 1, kMaxMicroVolts)) {
        microVolts = 0;
    } else {
        out.voltage = static_cast<uint32_t>(microVolts / 1000);
    }
    out.capacity = ReadCapacity(tree, supply, "charge_now", "energy_now", microVolts);
    out.fullCapacity = ReadCapacity(tree, supply, "charge_full", "energy_full", microVolts);
    out.designCapacity =
        ReadCapacity(tree, supply, "charge_full_design", "energy_full_design", microVolts);
    if (!ReadNumber(tree, supply, "charge_full_design", out.designRaw, 0, kMaxMicroAmpHours) &&
        !ReadNumber(tree, supply, "energy_full_design", out.designRaw, 0, kMaxMicroWattHours)) {
        out.designRaw = -1;
    }

    // Drivers disagree on the sign of the current; the direction comes from the status.
    int64_t flow = 0;
    bool rateKnown = false;
    if (microVolts > 0 &&
        ReadNumber(tree, supply, "current_now", flow, -kMaxMicroAmpHours, kMaxMicroAmpHours)) {
        flow = flow < 0 ? -flow : flow;
        flow = flow * microVolts / 1000000000;
        rateKnown = true;
    } else if (ReadNumber(tree, supply, "power_now", flow, -kMaxMicroAmpHours, kMaxMicroAmpHours)) {
        flow = (flow < 0 ? -flow : flow) / 1000;
        rateKnown = true;
    }
    if (rateKnown) {
        out.rate = static_cast<int32_t>(charging ? flow : -flow);
    }

    if (ReadNumber(tree, supply, "cycle_count", number, 0, 1000000)) {
        out.cycleCount = static_cast<uint32_t>(number);
    }
    if (ReadText(tree, supply, "technology", text, sizeof text)) {
        ChemistryFor(text, out.chemistry);
    }
    // Tenths of a degree Celsius; 0 °C is 2731.5 tenths of a kelvin, rounded up.
    if (ReadNumber(tree, supply, "temp", number, -2731, 5000)) {
        out.hasTemperature = true;
        out.temperature = static_cast<uint32_t>(number + 2732);
    }
    int64_t year = 0, month = 0, day = 0;
    if (ReadNumber(tree, supply, "manufacture_year", year, 1970, 9999) &&
        ReadNumber(tree, supply, "manufacture_month", month, 1, 12) &&
        ReadNumber(tree, supply, "manufacture_day", day, 1, 31)) {
        out.hasDate = true;
        out.year = static_cast<uint16_t>(year);
        out.month = static_cast<uint8_t>(month);
        out.day = static_cast<uint8_t>(day);
    }
    ReadName(tree, supply, "model_name", out.deviceName);
    ReadName(tree, supply, "manufacturer", out.manufacturer);
    ReadName(tree, supply, "serial_number", out.serialNumber);
    return out;
}

} // namespace battery
