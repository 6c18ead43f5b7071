// Stored records as a damaged or hostile registry could hand them over: every word of a mode,
// of the global settings and of the notebook policy arbitrary, plus arbitrary text where the
// store parses numbers. Nothing may index outside a table or overflow.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "BatteryLogic.h"
#include "DecimalText.h"
#include "FirmwareLogic.h"
#include "NotebookPolicy.h"
#include "PolicyRules.h"
#include "TimeoutTables.h"

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Take() {
        T value{};
        const std::size_t n = std::min(sizeof value, size_ - used_);
        std::memcpy(&value, data_ + used_, n);
        used_ += n;
        return value;
    }
    void Fill(void* out, std::size_t bytes) {
        const std::size_t n = std::min(bytes, size_ - used_);
        std::memcpy(out, data_ + used_, n);
        used_ += n;
    }
    std::string Rest() const {
        return std::string(reinterpret_cast<const char*>(data_ + used_), size_ - used_);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

volatile std::uint64_t sink;

void Use(std::uint64_t value) { sink = sink + value; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);

    store::PowerSaveMode mode;
    in.Fill(&mode.ACPlug_IN, sizeof(std::uint32_t) * (1 + 6 * store::kColumns));
    const int column = in.Take<int>();
    const store::ModeTimeouts t = store::ModeTimeoutsFor(mode, column);
    Use(t.idleTimeout + t.videoTimeout + t.spindownTimeout + t.dozeS4Timeout + t.idleAction);
    const int valid = store::ValidColumn(column);
    if (valid < 0 || valid >= store::kColumns) {
        __builtin_trap();
    }

    store::GlobalPowerSettings global;
    in.Fill(&global, sizeof global);
    const store::ButtonRules rules = store::ButtonRulesFor(global, in.Take<int>());
    Use(rules.powerButton.eventCode + rules.lidClose.action + rules.sleepButton.flags);
    Use(store::GlobalFlagsFor(in.Take<std::uint32_t>(), global.PasswordLogonEnable));
    Use(store::ColumnForPercent(in.Take<int>()));

    hardware::NotebookPolicy policy;
    in.Fill(policy.Data(), hardware::kNotebookPolicySize);
    const auto row = policy.Row(in.Take<int>(), in.Take<int>(), (in.Take<std::uint8_t>() & 1) != 0);
    Use(row ? row->clock + row->throttle + row->flags : 0);
    Use(policy.Word(in.Take<std::uint32_t>()));
    Use(policy.VersionText().size());
    Use(static_cast<std::uint64_t>(hardware::BrightnessPercent(mode.Brightnes[0])));
    Use(hardware::WakeBitsWith(in.Take<std::uint32_t>(), in.Take<std::uint32_t>(), true));
    Use(static_cast<std::uint64_t>(
        hardware::ChargePercent(in.Take<std::uint32_t>(), in.Take<std::uint32_t>())));

    std::uint8_t wide[64];
    in.Fill(wide, sizeof wide);
    char narrow[26];
    const std::size_t written =
        hardware::NarrowLowBytes(wide, in.Take<std::uint8_t>(), sizeof wide, narrow, sizeof narrow);
    if (written >= sizeof narrow || narrow[written] != '\0') {
        __builtin_trap();
    }

    const std::string text = in.Rest();
    Use(static_cast<std::uint64_t>(store::ParseDecimal(text.c_str()).value_or(0)));
    return 0;
}
