#include "platform/win/PathApi.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace win {
namespace {

const QString kEllipsis = QStringLiteral("...");

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

qsizetype lastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path[i]))
            return i;
    return -1;
}

} // namespace

bool PathIsDirectory(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString PathFindExtension(const QString& path)
{
    const QString name = path.mid(lastSeparator(path) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || name.mid(dot + 1).contains(QLatin1Char(' ')))
        return QString();
    return name.mid(dot);
}

bool PathStripToRoot(QString& path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    static const QRegularExpression unc(QStringLiteral("^\\\\\\\\[^\\\\]+\\\\[^\\\\]+\\\\?"));
    if (const auto m = unc.match(path); m.hasMatch()) {
        path = m.captured(0);
        if (!path.endsWith(QLatin1Char('\\')))
            path += QLatin1Char('\\');
        return true;
    }
    if (drive.match(path).hasMatch()) {
        path = path.left(2) + QLatin1Char('\\');
        return true;
    }
    if (path.startsWith(QLatin1Char('/'))) {
        path = QStringLiteral("/");
        return true;
    }
    return false;
}

QString PathCompactPathEx(const QString& path, int maxChars)
{
    const int room = maxChars - 1;
    if (room < 0)
        return QString();
    if (path.size() <= room)
        return path;
    const qsizetype cut = lastSeparator(path);
    const QString name = path.mid(cut + 1);
    const QString tail = cut < 0 ? name : path.mid(cut);
    if (tail.size() + kEllipsis.size() > room) {
        if (room <= kEllipsis.size())
            return kEllipsis.left(room);
        return name.left(room - kEllipsis.size()) + kEllipsis;
    }
    return path.left(room - kEllipsis.size() - tail.size()) + kEllipsis + tail;
}

QString GetFileTitle(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

} // namespace win
