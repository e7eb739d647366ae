#pragma once

#include <QString>

namespace viVavazuruv {

// The title of the window's own messages, and of the conflict questions.
inline const QString ListMessageTitle = QStringLiteral(" User Defined Database");

} // namespace viVavazuruv
