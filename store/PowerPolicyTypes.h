// The platform's power-policy records. The platform header has no include guard, so every
// file reaches it through this one.
#pragma once

#include <windows.h>

#include <powrprof.h>

static_assert(sizeof(USER_POWER_POLICY) == 80);
static_assert(sizeof(MACHINE_POWER_POLICY) == 64);
static_assert(sizeof(GLOBAL_USER_POWER_POLICY) == 176);
static_assert(sizeof(GLOBAL_MACHINE_POWER_POLICY) == 16);
static_assert(sizeof(MACHINE_PROCESSOR_POWER_POLICY) == 156);
static_assert(sizeof(PROCESSOR_POWER_POLICY_INFO) == 20);
