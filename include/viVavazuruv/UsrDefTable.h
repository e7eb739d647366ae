#pragma once

#include <QString>

// UsrDefTable, the one table of every office's lists, and its columns, as the
// component, the reference host, their tools and any host spell them. A host
// keeps the table; the component reads and deletes its rows by these names and
// writes them through IHostServices::SaveRecord. Engines compare the names
// without regard to case (PostgreSQL reports them in lower case).
//
// The reference host's CREATE TABLE statement is built from these names, so a
// change here changes a new database's table; an existing one is not renamed.
namespace viVavazuruv::usrdef {

inline const QString kTable = QStringLiteral("UsrDefTable");

// The list a row belongs to; a request names a list by this code, without
// regard to the case of A-Z.
inline const QString kCode = QStringLiteral("UsrDefCod");
// The row's group code, the short code a caller may answer with.
inline const QString kGroup = QStringLiteral("usrdefSeqCod");
// The entry's text; one starting "$-" is a title line.
inline const QString kDescription = QStringLiteral("usrdefDes");
// The chart-drawing flag.
inline const QString kDrawFlag = QStringLiteral("usrdefCDSDRWFla");
// The procedure code.
inline const QString kProcedureCode = QStringLiteral("usrdefADA");
// The letter file (.RTF or .TXT) attached to the entry.
inline const QString kLetterFile = QStringLiteral("usrdefLetNam");
// The row's key, given by the host when the row is first saved, as the
// field-name table and the table's own column spell it.
inline const QString kKey = QStringLiteral("usrdefInd");
// The same key as the component writes it in statement text and hands it to
// SaveRecord as the key field. A host that matches field names should match
// them without regard to case, as the engines do.
inline const QString kKeyField = QStringLiteral("UsrDefInd");
// The office that keeps the row; in office mode 7 each office sees its own rows.
inline const QString kOffice = QStringLiteral("OfficeID");

} // namespace viVavazuruv::usrdef
