#pragma once

#include "LevelList.h"

#include <core/PickerRequest.h>
#include <grid/TextColumn.h>
#include <patient/PatientRecord.h>

#include <QString>

#include <vector>

namespace viVavazuruv {

class RequestState;

// Level 0 of a picker as loading its window reads it, read without the
// window: what the host answered, and the list's rows as the level shows
// them before it sorts them. An entry point that may answer from the list
// reads it once this way; when the list does not answer, the window is made
// from it and asks the host none of it again, so the host sees one load
// either way.
struct LoadedList {
    // The host's current patient, 0 when it names no usable one.
    qint32 patientId = 0;
    // Loaded (and repaired) only for a list that shows its variables.
    PatientRecord patient;
    // The host's CaptionText of level 0's frame caption.
    QString frameTitle;
    // Columns set up from the request; the pipe-sign mode the first title line decided.
    LevelList list;
    // Column c (1..list.ColumnCount) of row r (0-based) as read, trimmed, and
    // variables shown as "(?)" where the list shows them so.
    std::vector<grid::TextColumn> columns;
    qint32 rows = 0;
    // The host's POPUP_HELP_FLAG, for the buttons' tool-tips.
    qint16 buttonHints = 0;
};

// Asks the host, in the order loading the window asks it, what level 0 of
// request needs: the current patient (and whether it is usable), the
// frame's caption, the list (office clause included), the patient's record
// where the list shows its variables, and the option for the buttons'
// tool-tips; and leaves the settings marker as the window's default
// placement does. For a request that keeps no layout of its own (reading a
// settings file is the window's). Raises whatever the host raises.
LoadedList LoadList(RequestState& state, const PickerRequest& request);

} // namespace viVavazuruv
