#pragma once

#include <core/VbArray.h>
#include <viVavazuruv/IHostServices.h>

#include <QString>

namespace viVavazuruv {

// Joins the records a code-list request returned (one line per record in each
// of the outputs) into one text: level 0's entries replace the top list's
// reference, and each deeper level's entries, joined with their list's own
// words, fill the first variable still open. ComposeParts receives the
// records' levels. Ret_ID is not used. Host failures raise AutomationError.
//
// The text work is the host's, so its own text rules apply, and the host is
// asked exactly what the composition needs, in order: GetField reads line j of
// an output (lent whole), ReplaceVariable works on the whole note or level
// text from its start, and the join words, the each-item answer and the list
// a variable opens are asked again every time they are needed, since a host
// may answer differently. Only what the host never sees (the search for bars,
// the dashes and carets of a description) is done here.
//
// When SplitText gives its 100 pieces, the 100th may hold all the rest, so the
// levels from the 100th record on are read as lines with GetField.
void Compose_Code_String(IHostServices& host, VbArray<QString>& ComposeParts, QString& Ret_String,
                         const QString& Ret_DBName, const QString& Ret_Level, const QString& Ret_Description,
                         const QString& Ret_ADA, const QString& Ret_Letter, const QString& Ret_ID,
                         qint16 nUDDBS_Selected);

} // namespace viVavazuruv
