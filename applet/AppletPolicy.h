// The applet's one copy of the notebook policy, filled at every opening before the main
// dialog exists and read by the pages (version text, feature switches).
#pragma once

#include "hardware/NotebookPolicy.h"

namespace applet {

hardware::NotebookPolicy& AppletPolicy();

} // namespace applet
