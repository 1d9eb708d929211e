// The Windows file enumeration (FindFirstFile, FindNextFile, FindClose) over the system's own folder
// reading. Attributes are the Windows attribute word mapped from the file's status; times are kept as
// a FILETIME keeps them, a count from a fixed moment in UTC.
#pragma once

#include <QList>
#include <QRegularExpression>
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

// Milliseconds since 1970-01-01 00:00 UTC; 0 when the file system gives no such time.
using FileTime = std::int64_t;

struct FindData {
    std::uint32_t dwFileAttributes = 0;
    FileTime ftCreationTime = 0;
    FileTime ftLastAccessTime = 0;
    FileTime ftLastWriteTime = 0;
    std::uint32_t nFileSizeHigh = 0;
    std::uint32_t nFileSizeLow = 0;
    QString cFileName;
};

// The last part of an enumeration pattern with the wildcards * and ?, matched without regard to case;
// "*" and "*.*" match every name.
class FindPattern {
public:
    explicit FindPattern(const QString& name);
    bool matches(const QString& fileName) const;

private:
    bool m_everything = false;
    QRegularExpression m_expression;
};

bool HasWildcard(const QString& name);

// Every entry of the folder but "." and "..", in the order FindFirstFile gives them: names compared
// character by character without regard to case. Each entry is described by one status query (a link
// by a second one, of what it leads to); an entry that cannot be examined keeps the kind the folder
// lists for it, read-only, with no size and no times. Empty when the folder cannot be read.
QList<FindData> ListFolder(const QString& folder);

// An open enumeration; invalid when nothing matched.
class FindHandle {
public:
    bool isValid() const { return m_next >= 0; }

private:
    friend FindHandle FindFirstFile(const QString& pattern, FindData& data);
    friend bool FindNextFile(FindHandle& handle, FindData& data);
    friend void FindClose(FindHandle& handle);

    // INVALID_FILE_ATTRIBUTES when the path does not exist or cannot be examined.
    std::uint32_t GetFileAttributes(const QString& path);

    QList<FindData> m_entries;
    qsizetype m_next = -1;
};

// `pattern` is a folder and a last part that may hold wildcards (see FindPattern); a last part without
// them names one entry.
FindHandle FindFirstFile(const QString& pattern, FindData& data);
bool FindNextFile(FindHandle& handle, FindData& data);
void FindClose(FindHandle& handle);

// INVALID_FILE_ATTRIBUTES when the path does not exist or cannot be examined.
std::uint32_t GetFileAttributes(const QString& path);

} // namespace win
