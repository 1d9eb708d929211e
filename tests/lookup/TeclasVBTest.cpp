#include "lookup/TeclasVB.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

struct Tecla {
    int tecla;
    Qt::KeyboardModifiers modificadores;
    int codigo;
    int estado;
    const char* texto;
};

TEST(TeclasVB, KeyCodesShiftStatesAndTypedText)
{
    const Tecla casos[] = {
        {Qt::Key_A, Qt::NoModifier, 65, 0, "A"},
        {Qt::Key_Z, Qt::ShiftModifier, 90, 1, "Z"},
        {Qt::Key_5, Qt::NoModifier, 53, 0, "5"},
        {Qt::Key_5, Qt::KeypadModifier, 101, 0, "5"},
        {Qt::Key_0, Qt::KeypadModifier, 96, 0, "0"},
        {Qt::Key_Asterisk, Qt::KeypadModifier, 106, 0, "*"},
        {Qt::Key_Minus, Qt::KeypadModifier, 109, 0, "-"},
        {Qt::Key_Slash, Qt::KeypadModifier, 111, 0, "/"},
        {Qt::Key_Return, Qt::NoModifier, 13, 0, ""},
        {Qt::Key_Enter, Qt::KeypadModifier, 13, 0, ""},
        {Qt::Key_Space, Qt::NoModifier, 32, 0, " "},
        {Qt::Key_Backspace, Qt::NoModifier, 8, 0, ""},
        {Qt::Key_Insert, Qt::ShiftModifier, 45, 1, ""},
        {Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier, 46, 6, ""},
        {Qt::Key_Down, Qt::NoModifier, 40, 0, ""},
        {Qt::Key_Up, Qt::NoModifier, 38, 0, ""},
        {Qt::Key_PageDown, Qt::NoModifier, 34, 0, ""},
        {Qt::Key_PageUp, Qt::NoModifier, 33, 0, ""},
        {Qt::Key_F1, Qt::NoModifier, 112, 0, ""},
        {Qt::Key_F5, Qt::NoModifier, 116, 0, ""},
        {Qt::Key_F12, Qt::NoModifier, 123, 0, ""},
        {Qt::Key_Eacute, Qt::NoModifier, 0, 0, ""},
    };
    for (const Tecla& c : casos) {
        const QKeyEvent evento(QEvent::KeyPress, c.tecla, c.modificadores);
        EXPECT_EQ(TeclasVB::KeyCode(evento), c.codigo) << c.tecla;
        EXPECT_EQ(TeclasVB::Shift(evento), c.estado) << c.tecla;
        EXPECT_EQ(TeclasVB::TextoDeTecla(c.codigo).toStdString(), c.texto) << c.tecla;
    }
}

} // namespace
