// The Windows shell services the file finder asks for: file information (type name and icon), the
// associated icon and program of a document, and the folder dialog. Icons come from QFileIconProvider,
// type names from QMimeDatabase, associations from the freedesktop lists (mimeapps.list, .desktop).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <cstdint>

class QWidget;

namespace win {

inline constexpr std::uint32_t SHGFI_LARGEICON = 0x0;
inline constexpr std::uint32_t SHGFI_SMALLICON = 0x1;
inline constexpr std::uint32_t SHGFI_ICON = 0x100;
inline constexpr std::uint32_t SHGFI_TYPENAME = 0x400;

struct SHFILEINFO {
    QPixmap hIcon;
    QString szTypeName;
};

// Fills what `flags` asks for; false when the file does not exist.
bool SHGetFileInfo(const QString& path, SHFILEINFO& info, std::uint32_t flags);
// The icon of the document (the one its program shows); null when the file does not exist.
QIcon ExtractAssociatedIcon(const QString& path);
// The program that opens the document: a program is its own; "" when nothing is associated.
QString FindExecutable(const QString& file);
// The operator's folder dialog (file-system folders only); "" on cancel.
QString SHBrowseForFolder(QWidget* owner, const QString& title);

} // namespace win
