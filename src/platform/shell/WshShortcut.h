// A desktop shortcut, written as a freedesktop ".desktop" launcher named like the ".lnk" asked for.
#pragma once

#include <QString>

class WshShortcut {
public:
    explicit WshShortcut(QString ruta) : m_ruta(std::move(ruta)) {}

    QString TargetPath;
    QString IconLocation;

    // Writes the shortcut; raises run-time error 75 when it cannot be written.
    void Save() const;
    // The file that Save writes.
    QString Archivo() const;

private:
    QString m_ruta;
};
