// Runs a Windows command file (.cmd, .bat) elsewhere: its lines become a /bin/sh script with the
// carriage returns dropped, a bare drive line ("c: ...") a no-op and "cd" taking the rest of its
// line as one folder, as cmd.exe does. The file's own folder goes first on PATH, so a program
// beside the command file wins, as the current folder wins on Windows.
#pragma once

#include <QString>

namespace vb {

bool isCommandFile(const QString& path);
// The /bin/sh text for the command file's content.
QString commandFileScript(const QString& content);

} // namespace vb
