// Reads an XML document into the text of its elements, each named by the path of local names that leads to it,
// so answers can be read without caring about the namespace prefixes a service chose.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QXmlStreamReader;

namespace afip {

class XmlFields {
public:
    explicit XmlFields(const QByteArray& xml);
    explicit XmlFields(const QString& xml);

    bool isValid() const { return m_valid; }
    // Whether an element whose path ends with `pathSuffix` ("credentials/token") exists.
    bool contains(const QString& pathSuffix) const;
    // The trimmed text of the first element whose path ends with `pathSuffix`; "" when absent.
    QString value(const QString& pathSuffix) const;
    // Every element in document order as ("Envelope/Body/...", trimmed text).
    const QList<QPair<QString, QString>>& entries() const { return m_entries; }

    static bool pathEndsWith(const QString& path, const QString& pathSuffix);

private:
    void read(QXmlStreamReader& reader);

    QList<QPair<QString, QString>> m_entries;
    bool m_valid = false;
};

} // namespace afip
