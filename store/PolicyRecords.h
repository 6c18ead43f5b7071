// Raw access to the Windows power-policy records: each is the REG_BINARY value "Policies" of
// one key. The readers take at most the record's size; the writers store exactly that size.
// None of them creates a key: a record whose key is missing is neither read nor written.
#pragma once

#include "PowerPolicyTypes.h"

#include <string>

namespace store {

inline constexpr char kPolicyValueName[] = "Policies";
inline constexpr char kGlobalUserPolicyPath[] = "Control Panel\\PowerCfg\\GlobalPowerPolicy";
inline constexpr char kGlobalMachinePolicyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg\\GlobalPowerPolicy";

// Keys of the records of Windows scheme n ("" for a negative number, which names no scheme).
std::string UserPolicyPath(int scheme);      // under HKEY_CURRENT_USER
std::string MachinePolicyPath(int scheme);   // under HKEY_LOCAL_MACHINE
std::string ProcessorPolicyPath(int scheme); // under HKEY_LOCAL_MACHINE

// Each returns false when the key cannot be opened (or the scheme number is negative), and
// then leaves the record and the registry alone. Reading keeps the record as it was unless the
// value is REG_BINARY and no larger than the record; a shorter one fills only its own leading
// bytes. Write results are not reported beyond the opening of the key.
bool UserPolicyRecord(USER_POWER_POLICY& record, int scheme, bool write);
bool MachinePolicyRecord(MACHINE_POWER_POLICY& record, int scheme, bool write);
bool GlobalUserPolicyRecord(GLOBAL_USER_POWER_POLICY& record, bool write);
bool GlobalMachinePolicyRecord(GLOBAL_MACHINE_POWER_POLICY& record, bool write);
bool ProcessorPolicyRecord(MACHINE_PROCESSOR_POWER_POLICY& record, int scheme, bool write);

} // namespace store
