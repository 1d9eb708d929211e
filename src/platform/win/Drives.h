// The Windows drive queries (logical drives, drive type, volume data, free space) over QStorageInfo.
// Outside Windows the only drive is the root "/", and any folder stands for the volume that holds it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace win {

enum DriveType : int {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

// The root of every drive present, in letter order ("C:\"); "/" outside Windows.
QStringList GetLogicalDrives();
// Only tests call this: GetLogicalDrives answers these roots from now on (an empty list restores the system's).
void setLogicalDrivesOverride(const QStringList& roots);
int GetDriveType(const QString& root);
// False when the volume is missing or not ready.
bool GetVolumeInformation(const QString& root, QString& volumeName, std::uint32_t& serialNumber,
                          QString& fileSystemName);
bool SHGetDiskFreeSpace(const QString& root, std::uint64_t& freeBytes, std::uint64_t& totalBytes);

} // namespace win
