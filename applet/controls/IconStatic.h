// A static icon control that owns the icon it shows.
#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"
#include "framework/Window.h"

namespace applet {

// The icon an icon reference ("file,index") names, at the system's large or small icon size;
// null without a comma, without the file or without an icon at that index.
HICON ExtractReferencedIcon(const std::string& reference, bool smallSize);

class IconStatic : public framework::Window {
public:
    ~IconStatic() override;

    // Each set destroys the icon shown before and tells whether a new one was obtained
    // (without one the control shows nothing).
    bool SetIcon(UINT resourceId);
    bool SetIconFromFile(const std::string& file, int index);
    // "file,index": split at the first comma, the index read as atoi reads it.
    bool SetIconFromReference(const std::string& reference);
    void Show(bool shown);

    HICON Icon() const { return icon_.Get(); }

private:
    bool Take(HICON icon);

    framework::UniqueIcon icon_;
};

} // namespace applet
