#include "platform/win/FileFind.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace win {
namespace {

std::uint32_t attributesOf(const QFileInfo& info)
{
    std::uint32_t word = 0;
    if (info.isDir())
        word |= FILE_ATTRIBUTE_DIRECTORY;
    else if (info.isFile())
        word |= FILE_ATTRIBUTE_ARCHIVE;
    else
        word |= FILE_ATTRIBUTE_SYSTEM;
    if (info.fileName().startsWith(QLatin1Char('.')))
        word |= FILE_ATTRIBUTE_HIDDEN;
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        word |= FILE_ATTRIBUTE_READONLY;
    if (info.isSymLink())
        word |= FILE_ATTRIBUTE_REPARSE_POINT;
    return word;
}

void fill(const QFileInfo& info, FindData& data)
{
    data.cFileName = info.fileName();
    data.dwFileAttributes = attributesOf(info);
    // A folder has no size of its own on Windows.
    const std::uint64_t size = info.isDir() ? 0 : static_cast<std::uint64_t>(info.size());
    data.nFileSizeHigh = static_cast<std::uint32_t>(size >> 32);
    data.nFileSizeLow = static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();
    data.ftCreationTime = created.toUTC();
    data.ftLastWriteTime = info.lastModified().toUTC();
    data.ftLastAccessTime = info.lastRead().toUTC();
}

bool hasWildcard(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

QFileInfoList matching(const QString& pattern)
{
    const QString normal = QDir::fromNativeSeparators(pattern);
    const qsizetype cut = normal.lastIndexOf(QLatin1Char('/'));
    const QString folder = cut < 0 ? QStringLiteral(".") : (cut == 0 ? QStringLiteral("/") : normal.left(cut));
    const QString name = normal.mid(cut + 1);
    if (name.isEmpty())
        return {};
    if (!hasWildcard(name)) {
        const QFileInfo info(QDir(folder).filePath(name));
        return info.exists() || info.isSymLink() ? QFileInfoList{info} : QFileInfoList{};
    }
    const QDir dir(folder);
    QFileInfoList all =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    // Names in the order an NTFS folder gives them: compared character by character, without regard to case.
    std::sort(all.begin(), all.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return QString::compare(a.fileName(), b.fileName(), Qt::CaseInsensitive) < 0;
    });
    if (name == QLatin1String("*") || name == QLatin1String("*.*"))
        return all;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(name),
                                QRegularExpression::CaseInsensitiveOption);
    QFileInfoList out;
    for (const QFileInfo& info : all)
        if (re.match(info.fileName()).hasMatch())
            out << info;
    return out;
}

} // namespace

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
    fill(handle.m_entries[handle.m_next++], data);
    return true;
}

void FindClose(FindHandle& handle)
{
    handle.m_entries.clear();
    handle.m_next = -1;
}

std::uint32_t GetFileAttributes(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return INVALID_FILE_ATTRIBUTES;
    return attributesOf(info);
}

} // namespace win
