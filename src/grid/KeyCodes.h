#pragma once

#include <Qt>
#include <QtGlobal>

namespace viVavazuruv::grid {

// One key a picker's handlers test for: the Qt key and the Windows
// virtual-key code KeyDown reports for it.
struct KeyCodeRow {
    Qt::Key qtKey;
    qint16 windowsCode;
};

// The keys with a code of their own. Letters, digits and F1-F24 are not
// listed: they follow a rule (see windowsKeyCode).
inline constexpr KeyCodeRow namedKeyCodes[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},     {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17},    {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},    {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},     {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},   {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},        {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},     {Qt::Key_Up, 38},       {Qt::Key_Right, 39},      {Qt::Key_Down, 40},
    {Qt::Key_Insert, 45},   {Qt::Key_Delete, 46},   {Qt::Key_Semicolon, 186}, {Qt::Key_Equal, 187},
    {Qt::Key_Comma, 188},   {Qt::Key_Minus, 189},   {Qt::Key_Period, 190},    {Qt::Key_Slash, 191},
};

// The Windows code of a Qt key (QKeyEvent::key()). Keys without one (letters
// outside A-Z, dead keys) give 0 and raise nothing.
constexpr qint16 windowsKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qint16(qtKey); // the Qt codes of these keys are the Windows ones
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return qint16(112 + (qtKey - Qt::Key_F1));
    for (const KeyCodeRow& row : namedKeyCodes) {
        if (row.qtKey == qtKey)
            return row.windowsCode;
    }
    return 0;
}

inline constexpr qint16 EscapeKeyCode = windowsKeyCode(Qt::Key_Escape);

} // namespace viVavazuruv::grid
