#include "lookup/TeclasVB.h"

#include <QKeyEvent>

namespace TeclasVB {
namespace {

int teclaDelTeclado(int tecla)
{
    switch (tecla) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 110;
    case Qt::Key_Slash:
        return 111;
    default:
        if (tecla >= Qt::Key_0 && tecla <= Qt::Key_9)
            return vbKeyNumpad0 + (tecla - Qt::Key_0);
        return 0;
    }
}

int teclaComun(int tecla)
{
    switch (tecla) {
    case Qt::Key_Backspace:
        return vbKeyBack;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vbKeyReturn;
    case Qt::Key_Escape:
        return vbKeyEscape;
    case Qt::Key_Space:
        return vbKeySpace;
    case Qt::Key_PageUp:
        return vbKeyPageUp;
    case Qt::Key_PageDown:
        return vbKeyPageDown;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return vbKeyUp;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return vbKeyDown;
    case Qt::Key_Insert:
        return vbKeyInsert;
    case Qt::Key_Delete:
        return vbKeyDelete;
    default:
        break;
    }
    if ((tecla >= Qt::Key_0 && tecla <= Qt::Key_9) || (tecla >= Qt::Key_A && tecla <= Qt::Key_Z))
        return tecla;
    if (tecla >= Qt::Key_F1 && tecla <= Qt::Key_F24)
        return vbKeyF1 + (tecla - Qt::Key_F1);
    return 0;
}

} // namespace

int KeyCode(const QKeyEvent& evento)
{
    const int tecla = evento.key();
    if (evento.modifiers() & Qt::KeypadModifier)
        if (const int codigo = teclaDelTeclado(tecla))
            return codigo;
    return teclaComun(tecla);
}

int Shift(const QKeyEvent& evento)
{
    int estado = 0;
    if (evento.modifiers() & Qt::ShiftModifier)
        estado |= vbShiftMask;
    if (evento.modifiers() & Qt::ControlModifier)
        estado |= vbCtrlMask;
    if (evento.modifiers() & Qt::AltModifier)
        estado |= vbAltMask;
    return estado;
}

QString TextoDeTecla(int KeyCode)
{
    if ((KeyCode >= '0' && KeyCode <= '9') || (KeyCode >= 'A' && KeyCode <= 'Z'))
        return QString(QChar(KeyCode));
    if (KeyCode >= vbKeyNumpad0 && KeyCode <= vbKeyNumpad0 + 9)
        return QString(QChar('0' + KeyCode - vbKeyNumpad0));
    switch (KeyCode) {
    case vbKeySpace:
        return QStringLiteral(" ");
    case 106:
        return QStringLiteral("*");
    case 107:
        return QStringLiteral("+");
    case 109:
        return QStringLiteral("-");
    case 110:
        return QStringLiteral(".");
    case 111:
        return QStringLiteral("/");
    default:
        return QString();
    }
}

} // namespace TeclasVB
