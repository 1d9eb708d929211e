#include "platform/afip/XmlFields.h"

#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>

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
    // Indexes of the elements open at the reader's position, outermost first.
    std::vector<qsizetype> open;
    bool tooDeep = false;
    while (!reader.atEnd() && !tooDeep) {
        reader.readNext();
        if (reader.isStartElement()) {
            tooDeep = open.size() >= static_cast<std::size_t>(MaxDepth);
            // The element is added now so that document order is kept; its text is complete at the end tag.
            m_elements.push_back({open.empty() ? -1 : open.back(), reader.name().toString(), QString()});
            open.push_back(size() - 1);
        } else if (reader.isCharacters() && !open.empty()) {
            m_elements[open.back()].text += reader.text();
        } else if (reader.isEndElement() && !open.empty()) {
            QString& text = m_elements[open.back()].text;
            text = text.trimmed();
            open.pop_back();
        }
    }
    if (tooDeep)
        m_elements.clear();
    m_valid = !tooDeep && !reader.hasError() && !m_elements.empty();
}

QString XmlFields::path(qsizetype index) const
{
    QStringList names;
    for (qsizetype i = index; i >= 0; i = m_elements.at(i).parent)
        names.append(m_elements.at(i).name);
    std::reverse(names.begin(), names.end());
    return names.join(QLatin1Char('/'));
}

bool XmlFields::pathEndsWith(qsizetype index, QStringView pathSuffix) const
{
    // The suffix's names are compared from its last one upwards through the element's ancestors.
    qsizetype end = pathSuffix.size();
    for (qsizetype i = index; i >= 0; i = m_elements.at(i).parent) {
        const qsizetype slash = pathSuffix.first(end).lastIndexOf(QLatin1Char('/'));
        const QStringView name = pathSuffix.sliced(slash + 1, end - slash - 1);
        if (name.isEmpty() || m_elements.at(i).name != name)
            return false;
        if (slash < 0)
            return true;
        end = slash;
    }
    return false;
}

qsizetype XmlFields::find(const QString& pathSuffix) const
{
    for (qsizetype i = 0; i < size(); ++i)
        if (pathEndsWith(i, pathSuffix))
            return i;
    return -1;
}

bool XmlFields::contains(const QString& pathSuffix) const
{
    return find(pathSuffix) >= 0;
}

QString XmlFields::value(const QString& pathSuffix) const
{
    const qsizetype i = find(pathSuffix);
    return i >= 0 ? m_elements.at(i).text : QString();
}

} // namespace afip
