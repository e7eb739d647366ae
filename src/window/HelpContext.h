#pragma once

#include <QtGlobal>

class QWidget;

namespace viVavazuruv {

// Name of the dynamic property that carries a widget's help topic number; 0
// means the widget has no topic of its own and context help uses its window's.
inline constexpr char kHelpContextProperty[] = "HelpContextID";

// Gives window the topic contextId and makes every control on it defer to
// the window (topic 0). Never fails towards its caller.
void Set_HelpContextID(QWidget* window, qint16 contextId);

// The topic a widget carries (0 when none was set).
qint32 HelpContextID(const QWidget* widget);

} // namespace viVavazuruv
