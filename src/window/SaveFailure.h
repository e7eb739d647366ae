#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QString>

namespace viVavazuruv {

// What an office user reads when a save of the list failed: what happened,
// in the office's words and language, whether anything was saved, and what
// to do. A database's own text (statements, server messages) is for the
// log and for the host, which still receives the error as it was; a
// failure that is not the database's (a value the host refused, a row
// without a key) names what was wrong, since the user can mend it.
QString SaveFailedMessage(const AutomationError& error, bool nothingSaved);

} // namespace viVavazuruv
