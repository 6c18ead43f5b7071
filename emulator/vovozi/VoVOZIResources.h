// Icon group ids of the icon library. ExtractIcon numbers icon groups by their position in the
// resource directory, which lists numeric ids in ascending order, so index N is id
// kFirstIconId + N: the factory modes refer to "VoVOZI.dll,1" to "VoVOZI.dll,5".
#pragma once

#define IDI_POWER_MANAGEMENT 100
#define IDI_FULL_POWER 101
#define IDI_LONG_LIFE 102
#define IDI_NORMAL 103
#define IDI_HIGH_POWER 104
#define IDI_DVD_PLAYBACK 105
