// Which help string a WM_HELP for a control shows: most controls have a string of their own
// id; a few share the string of a neighbour.
#pragma once

namespace applet {

int AlarmPageHelpId(int controlId);
// The Power Save Modes page: the AC and battery buttons and lists share one string per role.
int ModesPageHelpId(int controlId);

} // namespace applet
