// Makes a folder refuse every change to its entries while it lives (no file made, removed or renamed in it):
// read-only permissions, and the file system's immutable flag, which stops root as well (permissions do not).
// held() says whether the folder really refuses here; a file system without the flag may not.
#pragma once

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kembtest {

class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& path) : m_path(path)
    {
        m_permissions = QFile::permissions(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        setImmutable(true);
    }
    ~UnwritableFolder()
    {
        setImmutable(false);
        QFile::setPermissions(m_path, m_permissions);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool held() const
    {
        QFile probe(m_path + QStringLiteral("/.prueba"));
        if (!probe.open(QIODevice::WriteOnly))
            return true;
        probe.remove();
        return false;
    }

private:
    void setImmutable(bool on) const
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

    QString m_path;
    QFileDevice::Permissions m_permissions;
};

} // namespace kembtest
