// The file and drive finder: searches a folder (or every drive) for the first entry that passes size,
// attribute, date and extension filters, counts and collects the entries whose name matches, and
// answers small questions about files and drives.
#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"
#include "platform/vb/Variant.h"
#include "platform/win/FileFind.h"

#include <QObject>
#include <QPixmap>
#include <QStringList>
#include <cstdint>
#include <optional>

class QPainter;
class QWidget;

class cFindFiles : public QObject {
    Q_OBJECT

public:
    explicit cFindFiles(QObject* parent = nullptr);

    // Options 0-2: date of creation, last write, last access; 3-5: their time (hours and minutes);
    // 6-8: full date and time; the zero date for a missing file or another option.
    vb::Date GetFileDateTime(const QString& sPath, std::int32_t lOptionDate) const;
    // Searches `sDirPath` (every drive when empty); `Archivo` receives the first entry that passed the
    // filters. `lFindOption` 1: names containing `sFileName` are counted; otherwise names equal to it.
    void Find(const QString& sDirPath, const QString& sPattern, const QString& sFileName, std::int32_t lFindOption,
              QString& Archivo);
    void StopSearch();
    // Fills the volume's free and total bytes; its own result is always 0.
    vb::Currency GetDiskFreeSpace(const QString& sDrive, vb::Currency& FreeSpace, vb::Currency& TotalSpace) const;
    QString CompactPath(const vb::Variant& sPath, std::int32_t lMaxChar) const;
    // Draws the document's icon on the painter (the device context); false when nothing was drawn.
    bool DrawIcon(const QString& SpathFile, QPainter* lHdc, std::int32_t X, std::int32_t Y, std::int32_t lWidth,
                  std::int32_t lHeight) const;
    void GetDriveInfo(const QString& sDrive, std::int32_t& lSerialNumber, QString& sLabel, QString& sFileSystem) const;
    QString GetExecutable(const QString& sPath) const;
    bool DriveIsReady(const QString& sDrive) const;
    // `lIconSize` is the shell's flag word (0x100 icon, 0x1 small); a null picture when there is none.
    QPixmap LoadIcon(std::uint32_t lIconSize, const QString& sFileName) const;
    QString GetDriveType(const QString& sDrive) const;
    bool IsDirectory(const QString& sPath) const;
    bool FileExist(const QString& strFile) const;
    QString GetFormatSize(double n_bytes) const;
    QString GetFileType(const QString& sPath) const;
    QString BrowseForFolder(QWidget* lHwndOwner, const QString& sTitle) const;
    vb::Variant GetFileName(const QString& sPath) const;
    QString GetExtension(const QString& sPath) const;
    QString GetDriveFromPath(const QString& sPath) const;

    QStringList ColFiles() const { return m_files; }
    QStringList ColDrives() const { return m_drives; }
    // No collection before the first search.
    std::optional<QStringList> ColExtensions() const;
    std::int32_t FilesCount() const { return m_filesCount; }
    std::int32_t DirCount() const { return m_dirCount; }
    double TotalSize() const { return m_totalSize; }

    bool SearchSubDirs() const { return m_searchSubDirs; }
    void setSearchSubDirs(bool bvalue) { m_searchSubDirs = bvalue; }
    vb::Currency MaxFileSize() const { return m_maxFileSize; }
    void setMaxFileSize(vb::Currency CurValue);
    vb::Currency MinFileSize() const { return m_minFileSize; }
    void setMinFileSize(vb::Currency CurValue);
    vb::Date DateCreationTo() const { return m_dateCreationTo; }
    void setDateCreationTo(vb::Date dValue) { m_dateCreationTo = dValue; }
    vb::Date DateCreationFrom() const { return m_dateCreationFrom; }
    void setDateCreationFrom(vb::Date dValue) { m_dateCreationFrom = dValue; }
    vb::Date DateLastModifiedFrom() const { return m_dateLastModifiedFrom; }
    void setDateLastModifiedFrom(vb::Date dValue) { m_dateLastModifiedFrom = dValue; }
    vb::Date DateLastModifiedTo() const { return m_dateLastModifiedTo; }
    void setDateLastModifiedTo(vb::Date dValue) { m_dateLastModifiedTo = dValue; }
    vb::Date DateLastAccessTo() const { return m_dateLastAccessTo; }
    void setDateLastAccessTo(vb::Date dValue) { m_dateLastAccessTo = dValue; }
    vb::Date DateLastAccessFrom() const { return m_dateLastAccessFrom; }
    void setDateLastAccessFrom(vb::Date dValue) { m_dateLastAccessFrom = dValue; }
    // Reading gives the value set plus 32 (the archive bit); once set, entries need exactly that word.
    std::int32_t Attributes() const { return m_attributes; }
    void setAttributes(std::int32_t lValue);

signals:
    void GetFile(const QString& path);
    void InitSearch();
    void EndSearch();

private:
    bool SearchDirectory(QString sPath, QString& result);
    void takeMatch(const QString& path, const win::FindData& entry, QString& result);
    bool passesFilters(const win::FindData& entry) const;
    bool passesDateFilters(const win::FindData& entry) const;
    bool MatchFileName(const QString& path) const;
    void AddFile(const QString& path, double size);
    void buildExtensionList(const QString& sPattern);
    void reportError(const std::exception& e);

    std::int32_t m_filesCount = 0;
    std::int32_t m_dirCount = 0;
    double m_totalSize = 0;
    QStringList m_files;
    QStringList m_drives;
    bool m_searchSubDirs = true;
    vb::Currency m_maxFileSize;
    vb::Currency m_minFileSize;
    bool m_stop = false;
    std::int32_t m_attributes = 0;
    std::int32_t m_findOption = 0;
    std::optional<QStringList> m_extensions;
    // What each folder's file pass enumerates; the pattern is there when the folder's one read serves it.
    QString m_enumeration;
    std::optional<win::FindPattern> m_enumerationPattern;
    QString m_fileName;
    vb::Date m_dateCreationTo;
    vb::Date m_dateCreationFrom;
    vb::Date m_dateLastModifiedFrom;
    vb::Date m_dateLastModifiedTo;
    vb::Date m_dateLastAccessFrom;
    vb::Date m_dateLastAccessTo;
};
