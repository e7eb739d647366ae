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
// The host's answers (join words, whether a list inserts each item, the list
// a variable opens) are taken to stay the same during one composition: each
// is asked once per list or variable.
void Compose_Code_String(IHostServices& host, VbArray<QString>& ComposeParts, QString& Ret_String,
                         const QString& Ret_DBName, const QString& Ret_Level, const QString& Ret_Description,
                         const QString& Ret_ADA, const QString& Ret_Letter, const QString& Ret_ID,
                         qint16 nUDDBS_Selected);

} // namespace viVavazuruv
