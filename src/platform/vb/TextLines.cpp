#include "platform/vb/TextLines.h"

#include "platform/vb/Ansi.h"

#include <QFile>
#include <QRegularExpression>

namespace vb {

QStringList ReadTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = fromAnsi(file.readAll());
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.isEmpty() && file.size() == 0)
        return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

} // namespace vb
