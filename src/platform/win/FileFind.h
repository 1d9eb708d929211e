// The Windows file enumeration (FindFirstFile, FindNextFile, FindClose) and attribute query over QDir
// and QFileInfo. Attributes are the Windows attribute word mapped from the file's information; times
// are UTC, as a FILETIME holds them.
#pragma once

#include <QDateTime>
#include <QFileInfoList>
#include <QString>
#include <cstdint>

namespace win {

inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x4;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

struct FindData {
    std::uint32_t dwFileAttributes = 0;
    QDateTime ftCreationTime;
    QDateTime ftLastAccessTime;
    QDateTime ftLastWriteTime;
    std::uint32_t nFileSizeHigh = 0;
    std::uint32_t nFileSizeLow = 0;
    QString cFileName;
};

// An open enumeration; invalid when nothing matched.
class FindHandle {
public:
    bool isValid() const { return m_next >= 0; }

private:
    friend FindHandle FindFirstFile(const QString& pattern, FindData& data);
    friend bool FindNextFile(FindHandle& handle, FindData& data);
    friend void FindClose(FindHandle& handle);

    QFileInfoList m_entries;
    qsizetype m_next = -1;
};

// `pattern` is a folder and a last part that may hold the wildcards * and ? (matched without regard
// to case; "*.*" matches every name). Entries come sorted by name without regard to case; "." and ".."
// are not listed.
FindHandle FindFirstFile(const QString& pattern, FindData& data);
bool FindNextFile(FindHandle& handle, FindData& data);
void FindClose(FindHandle& handle);

// INVALID_FILE_ATTRIBUTES when the path does not exist.
std::uint32_t GetFileAttributes(const QString& path);

} // namespace win
