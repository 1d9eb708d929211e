// The "wscript.Shell" automation object as the suite uses it: the desktop folder and desktop shortcuts.
#pragma once

#include "platform/shell/WshShortcut.h"

#include <QString>

class WshShell {
public:
    // The folder of a special folder name; only "Desktop" is known ("" for any other name).
    QString SpecialFolders(const QString& nombre) const;
    // A shortcut to be saved at `ruta` (a ".lnk" path, saved as ".desktop").
    WshShortcut CreateShortcut(const QString& ruta) const { return WshShortcut(ruta); }

    // Points "Desktop" at another folder ("" restores the user's own); for tests.
    static void setDesktopOverride(const QString& carpeta);
};
