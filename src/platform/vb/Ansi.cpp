#include "platform/vb/Ansi.h"

#include <array>

namespace vb {
namespace {

// 0x80..0x9F; 0 marks the five unassigned positions, read back as themselves.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char encodeOne(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c && c != 0)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray toAnsi(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(encodeOne(c.unicode()));
    return out;
}

QString fromAnsi(const QByteArray& bytes)
{
    // The code page is Latin-1 but for 0x80..0x9F: the text is read as Latin-1 in one go (whole scripts
    // pass through here) and only those positions are put right.
    QString out = QString::fromLatin1(bytes);
    QChar* c = out.data();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = c[i].unicode();
        if (u >= 0x80 && u < 0xA0 && kHigh[u - 0x80] != 0)
            c[i] = QChar(kHigh[u - 0x80]);
    }
    return out;
}

} // namespace vb
