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
// The text work is the host's, so its own text rules apply: SplitText cuts the
// levels, GetField reads each record's lines and ReplaceVariable fills each
// variable. To keep a composition linear the host is lent the part it works
// on rather than the whole text every time: an output of more than 64 lines
// in blocks of 64 lines, and a variable that is the first of its spelling as
// the 15 characters read from its bar.
//
// The host's answers (join words, whether a list inserts each item, the list
// a variable opens) are taken to stay the same during one composition: each
// is asked once per list or variable.
void Compose_Code_String(IHostServices& host, VbArray<QString>& ComposeParts, QString& Ret_String,
                         const QString& Ret_DBName, const QString& Ret_Level, const QString& Ret_Description,
                         const QString& Ret_ADA, const QString& Ret_Letter, const QString& Ret_ID,
                         qint16 nUDDBS_Selected);

} // namespace viVavazuruv
