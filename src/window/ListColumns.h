#pragma once

#include <QtGlobal>

namespace viVavazuruv {

// The grid columns the window's commands address by number, whatever the
// request calls them: the description (where title lines are marked), the
// codes and the letter file.
namespace ListColumn {
inline constexpr qint32 Description = 2;
inline constexpr qint32 Codes = 4;
inline constexpr qint32 Letter = 5;
} // namespace ListColumn

} // namespace viVavazuruv
