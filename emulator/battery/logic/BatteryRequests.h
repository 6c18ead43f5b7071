// The answers of one battery bay to the battery class's control codes, from a readout of the
// moment: the tag that names the battery now in the bay, and the exact records and sizes the
// published structures have. Every malformed request gets the status Windows gives it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "BatteryReadout.h"

namespace battery {

// What a bay remembers between requests: the battery it last saw and the tag it gave it.
struct BayMemory {
    uint32_t tag = kTagInvalid;
    uint32_t identity = 0;
    uint32_t insertions = 0;
};

// Brings the memory up to date with the readout and returns the current tag: kTagInvalid for
// an empty bay, a new tag whenever a battery is inserted or replaced by another one.
uint32_t CurrentTag(BayMemory& memory, const BayReadout& readout);

// How long a request may be held in the driver host, which serves one request at a time: a
// client that wants to wait longer asks again. The tree is read again at each step.
inline constexpr uint32_t kMaxTagWaitMs = 200;
inline constexpr uint32_t kMaxStatusWaitMs = 1000;
inline constexpr uint32_t kPollMs = 50;

// Whether a status request can be answered now, as BATTERY_WAIT_STATUS documents: at once for
// a timeout of 0, else when the power state differs from the one given, the capacity (when
// known) falls below LowCapacity or rises above HighCapacity, or the tag no longer names the
// battery in the bay. The caller answers at the end of the wait whatever this says.
bool StatusChanged(const WaitStatusRecord& wait, uint32_t currentTag, const BayReadout& readout);

// The longest the driver holds a request of this code with this input (a wait of -1 is
// "forever", which is held as long as allowed).
uint32_t HoldMs(uint32_t code, const void* input, size_t inputSize);

struct Reply {
    uint32_t status = kStatusSuccess;
    uint32_t bytes = 0; // written to the output
};

// One request. The output is written only on success, and never past outputSize.
Reply Answer(uint32_t code, BayMemory& memory, const BayReadout& readout, const void* input,
             size_t inputSize, void* output, size_t outputSize);

// The journal's arguments and result for one request (space-separated name=value pairs, the
// result's first word the status), bounded by their buffers.
void DescribeRequest(uint32_t code, unsigned bay, const void* input, size_t inputSize,
                     size_t outputSize, char* text, size_t size);
void DescribeReply(uint32_t code, const void* input, size_t inputSize, const Reply& reply,
                   const void* output, char* text, size_t size);

// One line of the notebook's call journal for a request, with its line feed, cut to fit.
struct JournalStamp {
    unsigned year, month, day, hour, minute, second, millisecond;
    uint32_t process;
};
void JournalLine(const JournalStamp& stamp, const char* function, const char* arguments,
                 const char* result, char* text, size_t size);

// The name of the control code in the journal ("QueryTag", ...).
const char* RequestName(uint32_t code);

} // namespace battery
