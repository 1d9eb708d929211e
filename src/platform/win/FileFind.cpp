#include "platform/win/FileFind.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

#ifdef Q_OS_WIN
#include <QFileInfo>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace win {
namespace {

std::uint32_t hiddenBit(const QString& name)
{
    return name.startsWith(QLatin1Char('.')) ? FILE_ATTRIBUTE_HIDDEN : 0;
}

void setSize(FindData& data, std::uint64_t size)
{
    data.nFileSizeHigh = static_cast<std::uint32_t>(size >> 32);
    data.nFileSizeLow = static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
}

#ifdef Q_OS_WIN

FileTime fileTime(const QDateTime& moment)
{
    return moment.isValid() ? moment.toMSecsSinceEpoch() : 0;
}

FindData describe(const QFileInfo& info)
{
    FindData data;
    data.cFileName = info.fileName();
    std::uint32_t word = hiddenBit(data.cFileName);
    if (info.isDir())
        word |= FILE_ATTRIBUTE_DIRECTORY;
    else if (info.isFile())
        word |= FILE_ATTRIBUTE_ARCHIVE;
    else
        word |= FILE_ATTRIBUTE_SYSTEM;
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        word |= FILE_ATTRIBUTE_READONLY;
    if (info.isSymLink())
        word |= FILE_ATTRIBUTE_REPARSE_POINT;
    data.dwFileAttributes = word;
    // A folder has no size of its own on Windows.
    setSize(data, info.isDir() ? 0 : static_cast<std::uint64_t>(info.size()));
    const QDateTime created = info.birthTime();
    data.ftCreationTime = fileTime(created.isValid() ? created : info.metadataChangeTime());
    data.ftLastWriteTime = fileTime(info.lastModified());
    data.ftLastAccessTime = fileTime(info.lastRead());
    return data;
}

QList<FindData> readFolder(const QString& folder)
{
    QList<FindData> entries;
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted))
        entries << describe(info);
    return entries;
}

std::optional<FindData> describePath(const QString& path, const QString&)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    return describe(info);
}

#else

constexpr unsigned kStatusWanted = STATX_BASIC_STATS | STATX_BTIME;

FileTime fileTime(const statx_timestamp& moment)
{
    return static_cast<FileTime>(moment.tv_sec) * 1000 + moment.tv_nsec / 1000000;
}

// `word` already holds the bits the entry's name and its being a link give.
void fillFromStatus(const struct statx& status, std::uint32_t word, FindData& data)
{
    const bool folder = S_ISDIR(status.stx_mode);
    if (folder)
        word |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(status.stx_mode))
        word |= FILE_ATTRIBUTE_ARCHIVE;
    else
        word |= FILE_ATTRIBUTE_SYSTEM;
    if (!(status.stx_mode & S_IWUSR))
        word |= FILE_ATTRIBUTE_READONLY;
    data.dwFileAttributes = word;
    // A folder has no size of its own on Windows.
    setSize(data, folder ? 0 : status.stx_size);
    const FileTime born = (status.stx_mask & STATX_BTIME) ? fileTime(status.stx_btime) : 0;
    data.ftCreationTime = born != 0 ? born : fileTime(status.stx_ctime);
    data.ftLastWriteTime = fileTime(status.stx_mtime);
    data.ftLastAccessTime = fileTime(status.stx_atime);
}

// Describes `name`, relative to the open folder `at`, with its name already in `data`. False when the
// entry does not exist (or cannot be examined at all).
bool describeAt(int at, const char* name, FindData& data)
{
    struct statx status;
    std::uint32_t word = hiddenBit(data.cFileName);
    if (statx(at, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatusWanted, &status) != 0)
        return false;
    if (S_ISLNK(status.stx_mode)) {
        word |= FILE_ATTRIBUTE_REPARSE_POINT;
        // A broken link is known only as a link: no size, no times.
        if (statx(at, name, AT_NO_AUTOMOUNT, kStatusWanted, &status) != 0) {
            data.dwFileAttributes = word | FILE_ATTRIBUTE_SYSTEM;
            return true;
        }
    }
    fillFromStatus(status, word, data);
    return true;
}

// What the folder's listing alone tells of an entry that cannot be examined (its folder cannot be
// searched): its kind, and that it exists, which without write permission makes it read-only.
std::uint32_t listedOnly(unsigned char type)
{
    switch (type) {
    case DT_REG:
        return FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
    case DT_DIR:
        return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
    case DT_LNK:
        return FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
    case DT_UNKNOWN:
        return FILE_ATTRIBUTE_SYSTEM;
    default:
        return FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    }
}

// False for a name that is not valid UTF-8: no path built from text can reach it, so it is not listed.
bool decodeName(const char* name, QString& text)
{
    const QByteArrayView bytes(name, qstrlen(name));
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        text = QString::fromLatin1(bytes);
        return true;
    }
    QStringDecoder toUtf16(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    text = toUtf16(bytes);
    return !toUtf16.hasError();
}

QList<FindData> readFolder(const QString& folder)
{
    QList<FindData> entries;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return entries;
    const int at = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        FindData data;
        if (!decodeName(name, data.cFileName))
            continue;
        if (!describeAt(at, name, data))
            data.dwFileAttributes = hiddenBit(data.cFileName) | listedOnly(entry->d_type);
        entries << std::move(data);
    }
    closedir(dir);
    return entries;
}

std::optional<FindData> describePath(const QString& path, const QString& name)
{
    FindData data;
    data.cFileName = name;
    if (!describeAt(AT_FDCWD, QFile::encodeName(path).constData(), data))
        return std::nullopt;
    return data;
}

#endif

// The pattern split into its folder and its last part, as FindFirstFile reads it.
struct SplitPattern {
    QString folder;
    QString name;
};

SplitPattern split(const QString& pattern)
{
    const QString normal = QDir::fromNativeSeparators(pattern);
    const qsizetype cut = normal.lastIndexOf(QLatin1Char('/'));
    const QString folder = cut < 0 ? QStringLiteral(".") : (cut == 0 ? QStringLiteral("/") : normal.left(cut));
    return {folder, normal.mid(cut + 1)};
}

QList<FindData> matching(const QString& pattern)
{
    const SplitPattern parts = split(pattern);
    if (parts.name.isEmpty())
        return {};
    if (!HasWildcard(parts.name)) {
        const auto data = describePath(QDir(parts.folder).filePath(parts.name), parts.name);
        return data ? QList<FindData>{*data} : QList<FindData>{};
    }
    QList<FindData> entries = ListFolder(parts.folder);
    const FindPattern wanted(parts.name);
    entries.removeIf([&wanted](const FindData& data) { return !wanted.matches(data.cFileName); });
    return entries;
}

} // namespace

bool HasWildcard(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

FindPattern::FindPattern(const QString& name) : m_everything(name == QLatin1String("*") || name == QLatin1String("*.*"))
{
    if (!m_everything)
        m_expression = QRegularExpression(QRegularExpression::wildcardToRegularExpression(name),
                                          QRegularExpression::CaseInsensitiveOption);
}

bool FindPattern::matches(const QString& fileName) const
{
    return m_everything || m_expression.match(fileName).hasMatch();
}

QList<FindData> ListFolder(const QString& folder)
{
    QList<FindData> entries = readFolder(folder);
    // Names in the order an NTFS folder gives them: compared character by character, without regard to case.
    std::sort(entries.begin(), entries.end(), [](const FindData& a, const FindData& b) {
        return QString::compare(a.cFileName, b.cFileName, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

FindHandle FindFirstFile(const QString& pattern, FindData& data)
{
    FindHandle handle;
    handle.m_entries = matching(pattern);
    if (handle.m_entries.isEmpty())
        return handle;
    handle.m_next = 0;
    FindNextFile(handle, data);
    return handle;
}

bool FindNextFile(FindHandle& handle, FindData& data)
{
    if (!handle.isValid() || handle.m_next >= handle.m_entries.size())
        return false;
    data = handle.m_entries[handle.m_next++];
    return true;
}

void FindClose(FindHandle& handle)
{
    handle.m_entries.clear();
    handle.m_next = -1;
}

std::uint32_t GetFileAttributes(const QString& path)
{
    const auto data = describePath(path, path.mid(QDir::fromNativeSeparators(path).lastIndexOf(QLatin1Char('/')) + 1));
    return data ? data->dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

} // namespace win
