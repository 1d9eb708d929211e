#include "platform/vb/CommandFile.h"

#include <QRegularExpression>

namespace vb {
namespace {

QString shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

bool isCommandFile(const QString& path)
{
    return path.endsWith(QLatin1String(".cmd"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive);
}

QString commandFileScript(const QString& content)
{
    static const QRegularExpression driveLine(QStringLiteral("^\\s*[A-Za-z]:(\\s.*)?$"));
    static const QRegularExpression cdLine(QStringLiteral("^\\s*cd\\s+(.*?)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList script{QStringLiteral("set -e")};
    QString text = content;
    text.remove(QLatin1Char('\r'));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || driveLine.match(line).hasMatch())
            continue;
        const auto cd = cdLine.match(line);
        if (cd.hasMatch())
            script << QStringLiteral("cd -- ") + shellQuote(cd.captured(1));
        else
            script << line;
    }
    return script.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace vb
