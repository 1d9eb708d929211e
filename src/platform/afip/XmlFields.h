// Reads an XML document into the text of its elements, each named by the path of local names that leads to it,
// so answers can be read without caring about the namespace prefixes a service chose.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

class QXmlStreamReader;

namespace afip {

class XmlFields {
public:
    // Deeper documents are refused whole: no answer of the services nests beyond a dozen levels.
    static constexpr int MaxDepth = 64;

    explicit XmlFields(const QByteArray& xml);
    explicit XmlFields(const QString& xml);

    bool isValid() const { return m_valid; }
    // Whether an element whose path ends with `pathSuffix` ("credentials/token") exists.
    bool contains(const QString& pathSuffix) const;
    // The trimmed text of the first element whose path ends with `pathSuffix`; "" when absent.
    QString value(const QString& pathSuffix) const;

    // The elements in document order: how many, each one's path ("Envelope/Body/...") and trimmed text.
    qsizetype size() const { return static_cast<qsizetype>(m_elements.size()); }
    QString path(qsizetype index) const;
    QString text(qsizetype index) const { return m_elements.at(index).text; }
    // Whether the path of element `index` is `pathSuffix` or ends with "/" and `pathSuffix`.
    bool pathEndsWith(qsizetype index, QStringView pathSuffix) const;

private:
    // Each element keeps only its own name and its parent's index: paths are rebuilt on demand, so a deeply
    // nested document costs memory and time in proportion to its size, not to the square of its depth.
    struct Element {
        qsizetype parent;
        QString name;
        QString text;
    };

    void read(QXmlStreamReader& reader);
    qsizetype find(const QString& pathSuffix) const;

    std::vector<Element> m_elements;
    bool m_valid = false;
};

} // namespace afip
