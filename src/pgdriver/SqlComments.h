#pragma once

#include <QStringView>

namespace viVavazuruv::pgdriver {

// Where the block comment starting at i ("/*") ends: just past its "*/",
// nested comments counted as the server reads them; the text's end when it
// is not closed.
qsizetype skipBlockComment(QStringView s, qsizetype i);

} // namespace viVavazuruv::pgdriver
