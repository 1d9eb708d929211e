#include "platform/afip/XmlFields.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace afip {

XmlFields::XmlFields(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    read(reader);
}

XmlFields::XmlFields(const QString& xml)
{
    QXmlStreamReader reader(xml);
    read(reader);
}

void XmlFields::read(QXmlStreamReader& reader)
{
    QStringList path;
    QList<QString> texts;
    QList<qsizetype> positions;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            path.append(reader.name().toString());
            // The entry is added now so that document order is kept; its text is known at the end tag.
            positions.append(m_entries.size());
            m_entries.append({path.join(QLatin1Char('/')), QString()});
            texts.append(QString());
        } else if (reader.isCharacters() && !texts.isEmpty()) {
            texts.last() += reader.text();
        } else if (reader.isEndElement() && !path.isEmpty()) {
            m_entries[positions.takeLast()].second = texts.takeLast().trimmed();
            path.removeLast();
        }
    }
    m_valid = !reader.hasError() && !m_entries.isEmpty();
}

bool XmlFields::pathEndsWith(const QString& path, const QString& pathSuffix)
{
    return path == pathSuffix ||
           (path.endsWith(pathSuffix) && path.at(path.size() - pathSuffix.size() - 1) == QLatin1Char('/'));
}

bool XmlFields::contains(const QString& pathSuffix) const
{
    for (const auto& entry : m_entries)
        if (pathEndsWith(entry.first, pathSuffix))
            return true;
    return false;
}

QString XmlFields::value(const QString& pathSuffix) const
{
    for (const auto& entry : m_entries)
        if (pathEndsWith(entry.first, pathSuffix))
            return entry.second;
    return {};
}

} // namespace afip
