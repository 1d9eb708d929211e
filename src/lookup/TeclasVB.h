// Key codes and shift states of the run-time's KeyDown events, read from Qt key events.
#pragma once

#include <QString>

class QKeyEvent;

namespace TeclasVB {

enum Codigo : int {
    vbKeyBack = 8,
    vbKeyReturn = 13,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyUp = 38,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyNumpad0 = 96,
    vbKeyF1 = 112,
    vbKeyF5 = 116,
    vbKeyF12 = 123,
};

enum Estado : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// The key code of the event (letters in upper case, keypad keys 96 to 111); 0 for a key without one.
int KeyCode(const QKeyEvent& evento);
// The Shift, Ctrl and Alt masks held down.
int Shift(const QKeyEvent& evento);
// The text a key code types into a box: digits, letters, keypad digits and operators, the blank; "" for
// any other key (function keys, arrows...).
QString TextoDeTecla(int KeyCode);

} // namespace TeclasVB
