#pragma once

#include <core/PickerRequest.h>

#include <QString>

#include <optional>

namespace viVavazuruv {

struct LoadedList;

// The description a list gives for a caller's group code, as the picker
// window loaded from the same rows would find it in level 0: the first row,
// in the order the grid shows the list, whose group (column 1, trimmed, in
// upper case) equals value (trimmed, in upper case); the row's description
// (column 2) as the grid holds it. Empty when the list does not answer (no
// such group, an empty description, an empty value): then the window opens.
std::optional<QString> ListAnswer(const LoadedList& loaded, const PickerRequest& request,
                                  const QString& value);

} // namespace viVavazuruv
