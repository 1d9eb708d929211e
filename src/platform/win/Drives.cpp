#include "platform/win/Drives.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace win {
namespace {

// A volume only for a path that exists: QStorageInfo would otherwise answer for a parent.
QStorageInfo volumeOf(const QString& root)
{
    if (root.isEmpty() || !QFileInfo::exists(root))
        return QStorageInfo();
    return QStorageInfo(root);
}

QStringList& drivesOverride()
{
    static QStringList roots;
    return roots;
}

bool isOneOf(const QByteArray& type, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (type == n || type.startsWith(QByteArray(n) + '.'))
            return true;
    return false;
}

} // namespace

QStringList GetLogicalDrives()
{
    if (!drivesOverride().isEmpty())
        return drivesOverride();
#ifdef Q_OS_WIN
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives())
        roots << QDir::toNativeSeparators(drive.absolutePath());
    return roots;
#else
    return {QStringLiteral("/")};
#endif
}

void setLogicalDrivesOverride(const QStringList& roots)
{
    drivesOverride() = roots;
}

int GetDriveType(const QString& root)
{
    const QStorageInfo volume = volumeOf(root);
    if (!volume.isValid())
        return DRIVE_NO_ROOT_DIR;
    const QByteArray type = volume.fileSystemType().toLower();
    if (isOneOf(type, {"iso9660", "udf", "cdfs"}))
        return DRIVE_CDROM;
    if (isOneOf(type, {"tmpfs", "ramfs"}))
        return DRIVE_RAMDISK;
    if (isOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"}))
        return DRIVE_REMOTE;
    // The desktop mounts removable media under these folders.
    const QString mountPoint = volume.rootPath();
    if (mountPoint.startsWith(QLatin1String("/media/")) || mountPoint.startsWith(QLatin1String("/run/media/")))
        return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

bool GetVolumeInformation(const QString& root, QString& volumeName, std::uint32_t& serialNumber,
                          QString& fileSystemName)
{
    const QStorageInfo volume = volumeOf(root);
    if (!volume.isValid() || !volume.isReady())
        return false;
    volumeName = volume.name();
    fileSystemName = QString::fromLatin1(volume.fileSystemType());
    // The volume has no serial of its own here: one is derived from its device, stable across runs.
    const QByteArray digest = QCryptographicHash::hash(volume.device(), QCryptographicHash::Sha1);
    serialNumber = static_cast<std::uint32_t>(static_cast<quint8>(digest[0])) << 24 |
                   static_cast<std::uint32_t>(static_cast<quint8>(digest[1])) << 16 |
                   static_cast<std::uint32_t>(static_cast<quint8>(digest[2])) << 8 |
                   static_cast<std::uint32_t>(static_cast<quint8>(digest[3]));
    return true;
}

bool SHGetDiskFreeSpace(const QString& root, std::uint64_t& freeBytes, std::uint64_t& totalBytes)
{
    const QStorageInfo volume = volumeOf(root);
    if (!volume.isValid() || !volume.isReady())
        return false;
    freeBytes = static_cast<std::uint64_t>(volume.bytesFree());
    totalBytes = static_cast<std::uint64_t>(volume.bytesTotal());
    return true;
}

} // namespace win
