#include "util/cFindFiles.h"

#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/win/Drives.h"
#include "platform/win/FileFind.h"
#include "platform/win/PathApi.h"
#include "platform/win/ShellApi.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPainter>

namespace {

const QString kBadNameCharacters = QStringLiteral("*|><?:/\\");

// The hourglass while a drive is asked, the default pointer again afterwards.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool endsWithSeparator(const QString& path)
{
    return path.endsWith(QDir::separator()) || path.endsWith(QLatin1Char('/'));
}

// A folder path outside Windows ("/", "/media/usb") already names its volume; only drive letters are completed.
bool isPosixRoot(const QString& drive)
{
    return drive.startsWith(QLatin1Char('/'));
}

// The drive text of GetDriveType and GetDiskFreeSpace: ":\" appended unless it already ends so.
QString driveRootAppended(const QString& sDrive)
{
    if (isPosixRoot(sDrive) || sDrive.endsWith(QLatin1String(":\\")))
        return sDrive;
    return sDrive + QStringLiteral(":\\");
}

// The drive text of DriveIsReady and GetDriveInfo: "C" and "C:" become "C:\".
QString driveRootCompleted(const QString& sDrive)
{
    if (isPosixRoot(sDrive))
        return sDrive;
    if (sDrive.size() == 1)
        return sDrive + QStringLiteral(":\\");
    if (sDrive.size() == 2)
        return sDrive + QLatin1Char('\\');
    return sDrive;
}

vb::Date FileTimeToDate(win::FileTime fileTime)
{
    if (fileTime == 0)
        return vb::Date();
    return vb::Date::fromDateTime(QDateTime::fromMSecsSinceEpoch(fileTime, Qt::LocalTime));
}

// A linked folder is not followed: a link back to a parent would never end the search.
bool isFolderNotLink(std::uint32_t attributes)
{
    return attributes != win::INVALID_FILE_ATTRIBUTES && (attributes & win::FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & win::FILE_ATTRIBUTE_REPARSE_POINT);
}

double sizeOf(const win::FindData& data)
{
    return static_cast<double>(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

// A folder's own pattern with wildcards is answered from the folder's one read; a single name, or a
// pattern that reaches into another folder, is enumerated on its own.
bool enumeratesThisFolder(const QString& pattern)
{
    return win::HasWildcard(pattern) && !QDir::fromNativeSeparators(pattern).contains(QLatin1Char('/'));
}

vb::Date timeOfDay(const vb::Date& moment)
{
    const QTime t = moment.time();
    return vb::Date((t.hour() * 60 + t.minute()) / 1440.0);
}

QString formatTwoDecimals(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
}

} // namespace

cFindFiles::cFindFiles(QObject* parent) : QObject(parent), m_drives(win::GetLogicalDrives()) {}

vb::Date cFindFiles::GetFileDateTime(const QString& sPath, std::int32_t lOptionDate) const
{
    win::FindData data;
    win::FindHandle handle = win::FindFirstFile(sPath, data);
    if (!handle.isValid())
        return vb::Date();
    win::FindClose(handle);
    const win::FileTime times[] = {data.ftCreationTime, data.ftLastWriteTime, data.ftLastAccessTime};
    if (lOptionDate < 0 || lOptionDate > 8)
        return vb::Date();
    const vb::Date moment = FileTimeToDate(times[lOptionDate % 3]);
    if (lOptionDate < 3)
        return moment.datePart();
    if (lOptionDate < 6)
        return timeOfDay(moment);
    return moment;
}

void cFindFiles::Find(const QString& sDirPath, const QString& sPattern, const QString& sFileName,
                      std::int32_t lFindOption, QString& Archivo)
{
    try {
        for (QChar c : kBadNameCharacters) {
            if (sFileName.contains(c)) {
                vb::MsgBox(QStringLiteral("El nombre de archivo no puede contener ninguno de estos caracteres : / \\ * "
                                          "? : | < > "),
                           vb::vbCritical | vb::vbOKOnly, QStringLiteral("Error en nombre de archivo"));
                emit EndSearch();
                return;
            }
        }
        m_filesCount = 0;
        m_dirCount = 0;
        m_totalSize = 0;
        m_stop = false;
        m_fileName = sFileName;
        m_findOption = lFindOption;
        m_files = QStringList();
        buildExtensionList(sPattern);
        m_enumeration = m_extensions->size() == 1 ? m_extensions->first() : QStringLiteral("*.*");
        m_enumerationPattern.reset();
        if (enumeratesThisFolder(m_enumeration))
            m_enumerationPattern.emplace(m_enumeration);
        emit InitSearch();

        if (!sDirPath.isEmpty()) {
            SearchDirectory(sDirPath, Archivo);
            return;
        }
        bool found = false;
        for (const QString& root : m_drives) {
            vb::DoEvents();
            QString match;
            if (SearchDirectory(root, match) && !found) {
                Archivo = match;
                found = true;
            }
        }
        vb::DoEvents();
        emit EndSearch();
        m_stop = false;
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void cFindFiles::StopSearch()
{
    vb::DoEvents();
    m_stop = true;
}

void cFindFiles::buildExtensionList(const QString& sPattern)
{
    QString pattern = sPattern;
    if (!pattern.endsWith(QLatin1Char(';')))
        pattern += QLatin1Char(';');
    QStringList list = pattern.split(QLatin1Char(';'));
    if (list.size() > 1 && list.last().isEmpty())
        list.removeLast();
    if (list.size() > 1) {
        for (QString& entry : list)
            entry.remove(QStringLiteral("*."));
    } else if (list.first().isEmpty()) {
        list.first() = QStringLiteral("*.*");
    }
    m_extensions = list;
}

std::optional<QStringList> cFindFiles::ColExtensions() const
{
    if (!m_extensions)
        return std::nullopt;
    QStringList out;
    for (const QString& entry : *m_extensions)
        if (!entry.isEmpty())
            out << entry;
    return out;
}

// Returns true when a match reached `result`: the first entry of the folder that passes the filters, or,
// when none does, the first match found in its subfolders (every subfolder is still searched).
bool cFindFiles::SearchDirectory(QString sPath, QString& result)
{
    if (m_stop)
        return false;
    vb::DoEvents();
    if (!endsWithSeparator(sPath))
        sPath += QDir::separator();

    // The folder is read once for both passes: the subfolder list and the file pass.
    QList<win::FindData> entries;
    if (m_searchSubDirs || m_enumerationPattern)
        entries = win::ListFolder(sPath);
    QStringList subfolders;
    if (m_searchSubDirs) {
        // Only an entry the listing gives as a folder is asked for its attributes: one that cannot be examined
        // is not searched.
        for (const win::FindData& data : entries) {
            if (isFolderNotLink(data.dwFileAttributes) &&
                isFolderNotLink(win::GetFileAttributes(sPath + data.cFileName))) {
                subfolders << data.cFileName;
                ++m_dirCount;
            }
        }
    }

    if (m_enumerationPattern) {
        for (const win::FindData& data : entries) {
            if (m_enumerationPattern->matches(data.cFileName) && passesFilters(data)) {
                takeMatch(sPath + data.cFileName, data, result);
                return true;
            }
        }
    } else {
        win::FindData data;
        win::FindHandle handle = win::FindFirstFile(sPath + m_enumeration, data);
        for (bool more = handle.isValid(); more; more = win::FindNextFile(handle, data)) {
            if (passesFilters(data)) {
                win::FindClose(handle);
                takeMatch(sPath + data.cFileName, data, result);
                return true;
            }
        }
        win::FindClose(handle);
    }

    bool found = false;
    for (const QString& sub : subfolders) {
        QString deeper;
        if (SearchDirectory(sPath + sub + QDir::separator(), deeper) && !found) {
            result = deeper;
            found = true;
        }
    }
    return found;
}

// The first entry that passed the filters ends its folder's search.
void cFindFiles::takeMatch(const QString& path, const win::FindData& entry, QString& result)
{
    AddFile(path, sizeOf(entry));
    result = path;
}

bool cFindFiles::passesFilters(const win::FindData& entry) const
{
    const double size = sizeOf(entry);
    if (!m_minFileSize.isZero() && size < m_minFileSize.toDouble())
        return false;
    if (!m_maxFileSize.isZero() && size > m_maxFileSize.toDouble())
        return false;
    if (m_attributes != 0 && static_cast<std::uint32_t>(m_attributes) != entry.dwFileAttributes)
        return false;
    if (!passesDateFilters(entry))
        return false;
    if (m_extensions->size() > 1) {
        const QString extension = GetExtension(entry.cFileName).toLower();
        for (const QString& wanted : *m_extensions)
            if (wanted.toLower() == extension)
                return true;
        return false;
    }
    return true;
}

// A time is turned into a local date only when one of its limits is set: that conversion is the
// costly part of examining an entry.
bool cFindFiles::passesDateFilters(const win::FindData& entry) const
{
    const auto within = [](win::FileTime time, const vb::Date& from, const vb::Date& to) {
        if (from.isZero() && to.isZero())
            return true;
        const vb::Date date = FileTimeToDate(time).datePart();
        const bool early = !from.isZero() && date < from;
        const bool late = !to.isZero() && date > to;
        return !early && !late;
    };
    return within(entry.ftCreationTime, m_dateCreationFrom, m_dateCreationTo) &&
           within(entry.ftLastWriteTime, m_dateLastModifiedFrom, m_dateLastModifiedTo) &&
           within(entry.ftLastAccessTime, m_dateLastAccessFrom, m_dateLastAccessTo);
}

bool cFindFiles::MatchFileName(const QString& path) const
{
    if (IsDirectory(path))
        return false;
    QString base = GetFileName(path).toString().toLower();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        base = base.left(dot);
    if (m_findOption == 1)
        return base.contains(m_fileName.toLower());
    return vb::Trim(base) == vb::Trim(m_fileName.toLower());
}

void cFindFiles::AddFile(const QString& path, double size)
{
    try {
        if (!MatchFileName(path))
            return;
        m_totalSize += size;
        ++m_filesCount;
        emit GetFile(path);
        m_files << path;
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void cFindFiles::reportError(const std::exception& e)
{
    const vb::Error error = vb::toError(e);
    vb::MsgBox(error.Description(), vb::vbCritical, QStringLiteral("Error: ") + QString::number(error.Number()));
    emit EndSearch();
}

void cFindFiles::setMaxFileSize(vb::Currency CurValue)
{
    if (!m_minFileSize.isZero() && !CurValue.isZero() && CurValue < m_minFileSize) {
        vb::MsgBox(QStringLiteral("El valor máximo no puede ser menor al valor mínimo. "
                                  "cambie el valor de MinFileSize."),
                   vb::vbExclamation);
        m_maxFileSize = vb::Currency();
        return;
    }
    m_maxFileSize = CurValue;
}

void cFindFiles::setMinFileSize(vb::Currency CurValue)
{
    if (!m_maxFileSize.isZero() && !CurValue.isZero() && CurValue > m_maxFileSize) {
        vb::MsgBox(QStringLiteral("El valor mínimo no puede ser mayor al valor máximo. "
                                  "Cambie el valor de MaxFileSize."),
                   vb::vbExclamation);
        m_minFileSize = vb::Currency();
        return;
    }
    m_minFileSize = CurValue;
}

void cFindFiles::setAttributes(std::int32_t lValue)
{
    if (lValue > 2147483615)
        throw vb::Error(6, QStringLiteral("Desbordamiento"));
    m_attributes = lValue + 32;
}

vb::Currency cFindFiles::GetDiskFreeSpace(const QString& sDrive, vb::Currency& FreeSpace,
                                          vb::Currency& TotalSpace) const
{
    const WaitCursor hourglass;
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
    if (win::SHGetDiskFreeSpace(driveRootAppended(sDrive), freeBytes, totalBytes)) {
        FreeSpace = vb::Currency::fromInt(static_cast<std::int64_t>(freeBytes));
        TotalSpace = vb::Currency::fromInt(static_cast<std::int64_t>(totalBytes));
    }
    return vb::Currency();
}

QString cFindFiles::CompactPath(const vb::Variant& sPath, std::int32_t lMaxChar) const
{
    constexpr std::int32_t kBuffer = 256;
    return win::PathCompactPathEx(sPath.toString(), std::min(lMaxChar, kBuffer));
}

bool cFindFiles::DrawIcon(const QString& SpathFile, QPainter* lHdc, std::int32_t X, std::int32_t Y, std::int32_t lWidth,
                          std::int32_t lHeight) const
{
    const QIcon icon = win::ExtractAssociatedIcon(SpathFile);
    if (!lHdc || icon.isNull())
        return false;
    // A zero width or height draws the icon at its own size.
    constexpr int kIconSize = 32;
    const int width = lWidth > 0 ? lWidth : kIconSize;
    const int height = lHeight > 0 ? lHeight : kIconSize;
    icon.paint(lHdc, QRect(X, Y, width, height));
    return true;
}

void cFindFiles::GetDriveInfo(const QString& sDrive, std::int32_t& lSerialNumber, QString& sLabel,
                              QString& sFileSystem) const
{
    std::uint32_t serial = 0;
    QString label;
    QString fileSystem;
    if (!win::GetVolumeInformation(driveRootCompleted(sDrive), label, serial, fileSystem))
        return;
    lSerialNumber = static_cast<std::int32_t>(serial);
    sLabel = label;
    sFileSystem = fileSystem;
}

QString cFindFiles::GetExecutable(const QString& sPath) const
{
    return win::FindExecutable(sPath);
}

bool cFindFiles::DriveIsReady(const QString& sDrive) const
{
    const WaitCursor hourglass;
    QString label;
    QString fileSystem;
    std::uint32_t serial = 0;
    return win::GetVolumeInformation(driveRootCompleted(sDrive), label, serial, fileSystem);
}

QPixmap cFindFiles::LoadIcon(std::uint32_t lIconSize, const QString& sFileName) const
{
    win::SHFILEINFO info;
    win::SHGetFileInfo(sFileName, info, lIconSize);
    return info.hIcon;
}

QString cFindFiles::GetDriveType(const QString& sDrive) const
{
    static const char* const kNames[] = {"DRIVE_UNKNOWN", "DRIVE_NO_ROOT_DIR", "DRIVE_REMOVABLE", "DRIVE_FIXED",
                                         "DRIVE_REMOTE",  "DRIVE_CDROM",       "DRIVE_RAMDISK"};
    const int type = win::GetDriveType(driveRootAppended(sDrive));
    return type >= 0 && type <= 6 ? QString::fromLatin1(kNames[type]) : QString();
}

bool cFindFiles::IsDirectory(const QString& sPath) const
{
    return win::PathIsDirectory(sPath);
}

bool cFindFiles::FileExist(const QString& strFile) const
{
    QString path = strFile;
    if (path.size() > 3 && endsWithSeparator(path))
        path.chop(1);
    win::FindData data;
    win::FindHandle handle = win::FindFirstFile(path, data);
    const bool found = handle.isValid();
    win::FindClose(handle);
    return found;
}

QString cFindFiles::GetFormatSize(double n_bytes) const
{
    constexpr double kKB = 1024.0;
    constexpr double kMB = 1048576.0;
    constexpr double kGB = 1073741824.0;
    if (n_bytes >= kGB)
        return formatTwoDecimals(n_bytes / kGB) + QStringLiteral(" GB");
    if (n_bytes >= kMB)
        return formatTwoDecimals(n_bytes / kMB) + QStringLiteral(" MB");
    if (n_bytes >= kKB)
        return formatTwoDecimals(n_bytes / kKB) + QStringLiteral(" KB");
    return vb::CStr(n_bytes) + QStringLiteral(" bytes");
}

QString cFindFiles::GetFileType(const QString& sPath) const
{
    win::SHFILEINFO info;
    win::SHGetFileInfo(sPath, info, win::SHGFI_TYPENAME);
    return info.szTypeName;
}

QString cFindFiles::BrowseForFolder(QWidget* lHwndOwner, const QString& sTitle) const
{
    return win::SHBrowseForFolder(lHwndOwner, sTitle);
}

vb::Variant cFindFiles::GetFileName(const QString& sPath) const
{
    return win::GetFileTitle(sPath);
}

QString cFindFiles::GetExtension(const QString& sPath) const
{
    return win::PathFindExtension(sPath).remove(QLatin1Char('.'));
}

QString cFindFiles::GetDriveFromPath(const QString& sPath) const
{
    QString root = sPath;
    return win::PathStripToRoot(root) ? root : QString();
}
