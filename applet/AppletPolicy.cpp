#include "AppletPolicy.h"

namespace applet {

namespace {

hardware::NotebookPolicy gPolicy;

} // namespace

hardware::NotebookPolicy& AppletPolicy() {
    return gPolicy;
}

} // namespace applet
