#pragma once

#include <core/PickerRequest.h>

#include <QString>

#include <optional>

namespace viVavazuruv {

class RequestState;

// The description a list gives for a caller's group code, as the picker
// window would find it in level 0 once loaded for request: the first row, in
// the order the grid shows the list, whose group (column 1, trimmed, in upper
// case) equals value (trimmed, in upper case); the row's description
// (column 2) as the grid holds it. Reads the list once and makes no widget.
// Empty when the list does not answer (no such group, an empty description,
// an empty value), and for a request that keeps its layout: then the window
// opens. Raises what loading the window would raise for the same host and
// database, where it asks the same of them.
std::optional<QString> ListAnswer(RequestState& state, const PickerRequest& request, const QString& value);

} // namespace viVavazuruv
