// Selects a pen, brush, font or bitmap into a DC and puts the previous one back when the scope
// ends, so that the object can be deleted afterwards (a selected object cannot). Not for regions:
// selecting one returns a region type, not the previous object.
#pragma once

#include <windows.h>

namespace framework {

class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            ::SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    explicit operator bool() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace framework
