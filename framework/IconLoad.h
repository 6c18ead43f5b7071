// Icons loaded at the size they are shown at, so that the file's own image for that size is
// picked rather than another one stretched.
#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"

namespace framework {

// The system's small (SM_CXSMICON) and large (SM_CXICON) icon sizes.
int SmallIconSize();
int LargeIconSize();

// An icon resource of `instance` at `size` pixels square; nothing when it has no such icon.
UniqueIcon LoadIconAtSize(HINSTANCE instance, UINT resourceId, int size);

// Icon `index` of a file (an icon library, program or .ico; a negative index names a
// resource id) at `size` pixels square; nothing when the file has no such icon.
UniqueIcon ExtractIconAtSize(const std::string& file, int index, int size);

} // namespace framework
