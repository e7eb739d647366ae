#pragma once

#include "Export.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <QtGlobal>

namespace viVavazuruv {

// The host object the component reaches through IGlobal's GIC property. The
// component owns no connection, settings store or message catalogue: every
// database access, option, file location and text service comes from here.
//
// Contract for implementers:
//  - every call runs on the host's user-interface thread, one at a time;
//  - a call that fails throws viVavazuruv::AutomationError (the component lets it
//    travel to the host's caller unchanged);
//  - arguments named as outputs are written through the reference; inputs are
//    passed by const reference or by value.
// The reference host (viVavazuruv/ReferenceHost.h) implements every member over
// SQLite or PostgreSQL and can be used as it stands or subclassed.
class VIVAVAZURUV_EXPORT IHostServices {
public:
    virtual ~IHostServices() = default;

    // The open connection the component runs its statements on; the component
    // never opens, closes, adds or removes it.
    virtual QSqlDatabase GetConnection() = 0;

    // Statement text as the component writes it (the suite's original desktop
    // dialect, e.g. "Delete * from ...") turned into runnable text for the engine.
    virtual QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) = 0;

    // A complete SQL literal for Text, quotes included, safe to append to a statement.
    virtual QString SqlValue(QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved) = 0;

    // 7 means every statement must carry the office clause.
    virtual qint32 GetOfficeMode() = 0;

    // The current office, used in the office clause.
    virtual qint32 GetOfficeID() = 0;

    // Key 0 inserts a row and returns its new key through Key; any other key
    // updates that row. True only when exactly one row was written.
    virtual bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                            const QStringList& FieldNames, const QStringList& Values, bool Required) = 0;

    // Shows the host's message Code and returns the answer; 6 is Yes, 7 is No.
    virtual qint16 AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) = 0;

    // The Index-th piece of Text cut at Separator, counted from 1; "" past the end.
    virtual QString GetField(const QString& Text, const QString& Separator, qint16 Index,
                             qint16 Reserved) = 0;

    // Pieces 1 to 100 of Text cut at Separator (Pieces[0] is piece 1) and their count.
    virtual void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                           qint16& Count) = 0;

    // Replaces Find by Replacement in Text, in place, from position Start (1-based);
    // Count 0 replaces every occurrence, 1 only the first.
    virtual void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                                 qint32 Start, qint16 Reserved) = 0;

    // The caption a frame shows for a list title.
    virtual QString CaptionText(const QString& Title) = 0;

    // Prefix of the type-to-find text in the picker's grid.
    virtual QString KeyPrefix() = 0;

    // The UsrDefCod value of a list reference (a code or a pipe-sign variable).
    virtual QString CodeListKey(const QString& ListReference) = 0;

    // Given the 15 characters from a bar, the list code the variable opens, else "".
    virtual void PipeVariableList(const QString& VariableText, QString& ListCode) = 0;

    // The four words that join a list's entries in a composed code string.
    virtual void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast,
                               QString& AfterLast, QString& CodeJoin) = 0;

    // True when each entry of the list is inserted on its own when composing.
    virtual bool InsertEachItem(const QString& ListCode) = 0;

    // True: the code and letter columns are never shown.
    virtual bool LetterColumnsOff() = 0;

    // True: users may change the code lists.
    virtual bool CanModifyLists() = 0;

    // The installation's data folder, ending with a separator.
    virtual QString GetHostPath() = 0;

    // Name of the settings file kept for a list (no folder, no extension needed).
    virtual QString LayoutFileName(const QString& ListCode, const QString& Extra) = 0;

    // Reads option Key into Flag (16-bit; non-zero means on, true is -1); Connection may be null.
    virtual void ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection, qint16 Reserved,
                                qint16& Flag) = 0;

    // Makes Id the host's current patient.
    virtual void SetCurrentPatientID(qint32 Id) = 0;

    // The host's current patient (0 for none).
    virtual qint32 GetCurrentPatientID() = 0;

    // The patient's display name, "" when there is no usable patient; the four
    // outputs carry last name, first name, chart number and provider key as text.
    virtual QString PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                                  QString& ProviderText) = 0;

    // Key of the provider given to a patient who has none.
    virtual qint32 GetDefaultProvider() = 0;

    // Whether FeeType is one the practice accepts.
    virtual void IsValidFeeType(qint16 FeeType, bool& Valid) = 0;

    // Clears host-side status text before the sex/title window shows.
    virtual void ResetHostText(const QString& Text) = 0;

    // Processes pending window events (Mode 1), so a nested modal interaction
    // proceeds while an outer action waits.
    virtual void NotifyHost(qint16 Mode) = 0;

    // A run of SaveRecord calls, for hosts that write several rows faster
    // together (one transaction instead of one commit per row). Between the
    // two the component calls SaveRecord and, with the option
    // LIST_CONFLICT_CHECK on, reads the rows it is about to write on
    // GetConnection()'s connection with "select ... for update" (through
    // TranslateSql), so a run must be one transaction on that connection for
    // its comparison and writes to be one step. It never waits for the user
    // inside a run. BeginSaveRecords answers true when the host holds the run's rows
    // back until EndSaveRecords: EndSaveRecords(true) then writes every row
    // whose call returned true, or raises having written none of them;
    // EndSaveRecords(false) writes none (after a call raised; the component
    // then writes the rows before it again, one call each, without a run).
    // By default a host holds nothing back: each row is written as its call returns.
    virtual bool BeginSaveRecords() { return false; }
    virtual void EndSaveRecords(bool Write) { static_cast<void>(Write); }

    // Who last changed the row of Table with key Key, and when, for a host
    // that keeps a history of its tables: true with ChangedBy (the
    // workstation user, "" when the change came from elsewhere) and ChangedAt
    // (UTC); false when it knows nothing of the row. The component names them
    // in its questions about another workstation's change. Optional: by
    // default a host keeps no history.
    virtual bool LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) {
        static_cast<void>(Table);
        static_cast<void>(Key);
        static_cast<void>(ChangedBy);
        static_cast<void>(ChangedAt);
        return false;
    }
};

} // namespace viVavazuruv
