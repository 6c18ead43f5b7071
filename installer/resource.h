// String-table ids of the installer library.
#pragma once

#define IDS_DESC_FULL_POWER 148
#define IDS_DESC_LONG_LIFE 149
#define IDS_DESC_NORMAL 150
#define IDS_DESC_HIGH_POWER 151
#define IDS_NAME_FULL_POWER 152
#define IDS_NAME_LONG_LIFE 153
#define IDS_NAME_NORMAL 154
#define IDS_NAME_HIGH_POWER 155
#define IDS_NAME_DVD_PLAYBACK 156
#define IDS_DESC_DVD_PLAYBACK 157
