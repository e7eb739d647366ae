#pragma once

#include <QString>

namespace viVavazuruv::refhost {

// Rewrites a statement written in the suite's original desktop dialect so that
// SQLite and PostgreSQL both run it. It works on tokens, so quoted literals
// ('...' with ''), quoted names ("..." with "") and comments pass through
// untouched whatever they contain:
//   DELETE * FROM t, DELETE t.* FROM t  -> DELETE FROM t
//   [Name] -> Name, [Two words] -> "Two words"
//   bare True / False                   -> -1 / 0 (the dialect's values)
// Keywords are matched without regard to case; everything else is kept as written.
QString translateStatement(const QString& statement);

} // namespace viVavazuruv::refhost
