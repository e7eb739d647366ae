#pragma once

#include <QString>

namespace viVavazuruv::refhost {

enum class Dialect { SQLite, PostgreSQL };

// Rewrites a statement written in the suite's original desktop dialect so that
// SQLite and PostgreSQL both run it. It works on tokens, so quoted literals
// ('...' with ''), quoted names ("..." with "") and comments pass through
// untouched whatever they contain:
//   DELETE * FROM t, DELETE t.* FROM t  -> DELETE FROM t
//   [Name] -> Name, [Two words] -> "Two words"
//   bare True / False                   -> -1 / 0 (the dialect's values)
//   SELECT ... FOR UPDATE               -> SELECT ... on SQLite, whose run of
//                                          saves holds the write lock from its start
// A condition UsrDefCod = 'code' (after WHERE, AND, OR, NOT, ON, HAVING, WHEN
// or '(') compares list codes ignoring the case of A-Z. SQLite's column does
// that itself (COLLATE NOCASE); PostgreSQL gets
//   lower(UsrDefCod COLLATE "C") = 'code'  (A-Z lowered), which its index covers.
// When the code's upper case differs beyond A-Z ('straße' -> 'STRASSE'), the
// upper case matches too (UsrDefCod IN ('straße', 'STRASSE')): the component
// stores a list's new rows under it and accepts them as the same list.
// Keywords are matched without regard to case; everything else is kept as written.
QString translateStatement(const QString& statement, Dialect dialect);

} // namespace viVavazuruv::refhost
