#pragma once

#include <QString>

namespace viVavazuruv {

// A description as a pipe-sign list shows it: every two-character variable
// ("|PN") other than "|??" becomes "(?)"; a bar and a digit begin a
// four-character variable that stays as written, and so does "|??"; a bar
// too near the end to make three characters is passed over. Longer names are
// cut after their third character ("|CARIES" shows "(?)RIES").
QString ShowPipeVariables(QString text);

} // namespace viVavazuruv
