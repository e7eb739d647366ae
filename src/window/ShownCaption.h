#pragma once

#include <QString>

namespace viVavazuruv {

// A caption of the request (the window's, a frame's or a column's) as the
// window shows it, in the office's language. The request itself keeps the
// component's captions in English: the level's list code is read back from
// a frame's "Database = CODE", and a column is found by its caption. Texts
// of a caller that no catalogue holds are shown as they are.
QString shownCaption(const QString& caption);

// Whether a frame's caption only names a list by its code ("Database = CODE"):
// fine to see, but not words to hear.
bool namesListByCode(const QString& caption);

} // namespace viVavazuruv
