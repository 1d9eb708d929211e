// The Windows image-help search of a folder tree for one file (SearchTreeForFile) over QDir.
#pragma once

#include <QString>

namespace win {

// Searches `rootPath` and its subfolders for a file named `inputPathName`, compared without regard to
// case as on Windows: the files of a folder first, then its subfolders in name order. True with the
// file's full path in `outputPathBuffer`; false (the buffer untouched) when no folder holds it.
bool SearchTreeForFile(const QString& rootPath, const QString& inputPathName, QString& outputPathBuffer);

} // namespace win
