#include "HelpIds.h"

namespace applet {

int AlarmPageHelpId(int controlId) {
    switch (controlId) {
    case 1035:
        return 1033;
    case 1040:
        return 1039;
    case 1042:
        return 1041;
    default:
        return controlId;
    }
}

int ModesPageHelpId(int controlId) {
    switch (controlId) {
    case 1128:
        return 1124;
    case 1129:
        return 1125;
    case 1130:
        return 1126;
    case 1127:
        return 1131;
    case 1134:
        return 1133;
    default:
        return controlId;
    }
}

} // namespace applet
