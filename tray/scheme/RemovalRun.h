// "Halvik.exe Close": ends a running tray and removes the suite's Windows scheme and both of
// its registry trees.
#pragma once

namespace tray {

void RunRemoval();

} // namespace tray
