#include "platform/vb/Ansi.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

namespace {

// Every byte of the code page reads as its own character: Latin-1 for all but 0x80..0x9F, the code page's
// own characters there, and the five unassigned positions as themselves; every assigned one writes back.
TEST(Ansi, EveryByteReadsAsItsCharacterAndWritesBack)
{
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    const QString texto = vb::fromAnsi(todos);
    ASSERT_EQ(texto.size(), 256);
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b >= 0xA0) {
            EXPECT_EQ(texto[b].unicode(), b) << b;
        }
    }
    EXPECT_EQ(texto[0x80].unicode(), 0x20AC);
    EXPECT_EQ(texto[0x8A].unicode(), 0x0160);
    EXPECT_EQ(texto[0x93].unicode(), 0x201C);
    EXPECT_EQ(texto[0x9F].unicode(), 0x0178);
    QByteArray asignados = todos;
    for (int b : {0x9D, 0x90, 0x8F, 0x8D, 0x81}) {
        EXPECT_EQ(texto[b].unicode(), b) << b;
        asignados.remove(b, 1);
    }
    EXPECT_EQ(vb::toAnsi(vb::fromAnsi(asignados)), asignados);
    EXPECT_EQ(vb::fromAnsi(QByteArray()), QString());
}

} // namespace
