// The Windows path helpers (PathIsDirectory, PathFindExtension, PathStripToRoot, PathCompactPathEx,
// GetFileTitle) over QFileInfo; both "\" and "/" separate folders.
#pragma once

#include <QString>

namespace win {

bool PathIsDirectory(const QString& path);
// The extension with its dot (".txt"), "" when the name has none.
QString PathFindExtension(const QString& path);
// The root of the path ("C:\", "\\server\share\", "/"); false when the path has none.
bool PathStripToRoot(QString& path);
// The path shortened to fit `maxChars` characters, counting the terminating NUL: folders in the middle
// give way to "...", the file name is kept whole while it fits.
QString PathCompactPathEx(const QString& path, int maxChars);
// The name of the file without its folders.
QString GetFileTitle(const QString& path);

} // namespace win
