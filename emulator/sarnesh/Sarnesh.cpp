// Sarnesh.dll of the emulated notebook: the notebook policy record of the model profile the
// machine state names (value "ModelProfile"). The profile "load-fails" answers 0 and leaves
// the record alone, as a policy library that cannot read its data would.
#include <cstring>

#include "Journal.h"
#include "NotebookInterfaces.h"
#include "NotebookProfile.h"
#include "RegistryValueStore.h"

static_assert(emulator::kPolicyRecordSize == notebook::kPolicySize);

extern "C" int __cdecl GetKvPolicy(void* policy) {
    emulator::RegistryMachine machine;
    const emulator::ModelProfile profile = machine.State().Profile();
    emulator::ArgumentList arguments;
    arguments.AddPointer("policy", policy).AddWord("profile", emulator::ModelProfileName(profile));

    int result = 0;
    if (policy != nullptr) {
        if (const auto record = emulator::BuildPolicyRecord(profile)) {
            std::memcpy(policy, record->data(), record->size());
            result = 1;
        }
    }
    emulator::JournalCall("Sarnesh", "GetKvPolicy", arguments.Text(), std::to_string(result));
    return result;
}
