#include "platform/vb/App.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vb::App {
namespace {

QString& pathOverride()
{
    static QString value;
    return value;
}

QString& nameOverride()
{
    static QString value;
    return value;
}

} // namespace

QString Path()
{
    if (!pathOverride().isEmpty())
        return pathOverride();
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString EXEName()
{
    if (!nameOverride().isEmpty())
        return nameOverride();
    const QString exe = QCoreApplication::applicationFilePath();
    return exe.isEmpty() ? QStringLiteral("kemb") : QFileInfo(exe).completeBaseName();
}

void setPath(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && (p.endsWith(QLatin1Char('/')) || p.endsWith(QLatin1Char('\\'))))
        p.chop(1);
    pathOverride() = p;
}

void setEXEName(const QString& name)
{
    nameOverride() = name;
}

} // namespace vb::App
