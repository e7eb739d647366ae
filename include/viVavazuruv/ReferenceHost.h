#pragma once

#include "IDialogs.h"
#include "IHostServices.h"

#include <QString>

#include <memory>

// The reference host library exports what this header and SeedData.h mark.
#define VIVAVAZURUV_REFHOST_EXPORT __attribute__((visibility("default")))

namespace viVavazuruv {

// A complete host object over a real database, for hosts that have none of
// their own, for the demo and for tests. Every member is virtual so a host can
// take it as it stands and replace only what it does differently.
//
// The database is named by an address (docs/reference-host.md lists every setting):
//   sqlite:PATH                                 (file created on first use; WAL journal)
//   any libpq connection URI or keyword/value string, read by libpq itself:
//       postgresql://[USER@]HOST[:PORT][,HOST2[:PORT2]...]/DB[?service=S][&sslmode=M]...,
//       "service=office", "host=/var/run/postgresql dbname=practice", or "postgresql://"
//       alone for what the PG* variables name; passwords from ~/.pgpass, PGPASSFILE or
//       the service file, never needed in the address
//   plus the host's own settings, as query items or keywords: schema=NAME,
//       statement_timeout=MS (default 10000), lock_timeout=MS (default 5000)
// The host's settings are set inside each transaction, never on the session,
// so they hold through a pooler in transaction mode. A wait for another
// session's lock ends once at lock_timeout with an error naming the lock
// wait; only a server that stops answering altogether is left by the host
// itself, after statement_timeout + 2 s. The host's tables (UsrDefTable, paTable and its own
// data tables) are created or brought up to date when the host opens, so
// opening an empty database or schema is enough.
//
// Before each statement, its own or one it lends through GetConnection, the
// host makes a lost or closed connection again, once, but never while a
// transaction is open on it; when that fails it raises ConnectionError with
// the driver's reason. A statement of its own lost before it could write
// (the server ended the session, or it only reads) is run once more on a new
// connection, outside a transaction or run; so the first request after a
// server restart succeeds.
//
// Its connections are closed and removed before Qt SQL's statics go (the
// application object's end, or exit), so the host may live in a static. An SQLite file removed or replaced
// while the host has it open is refused (ConnectionError naming it), never written or made anew.
//
// List codes (UsrDefCod) compare without regard to the case of A-Z on both
// engines, through an index.
//
// Options live in the HostOptions table. The office mode and office set
// through setOfficeMode/setOfficeID belong to this object (one workstation) and
// take precedence over the stored OfficeMode/OfficeID; the current patient and
// the host status text are kept in memory only.
class VIVAVAZURUV_REFHOST_EXPORT ReferenceHost : public IHostServices {
public:
    enum class Engine { SQLite, PostgreSQL };
    // Create: the host's tables are made where missing (a new database).
    // MustExist: a database without UsrDefTable is refused (ConnectionError),
    // for tools that read an office's lists and must not make an empty one.
    // ReadOnly: as MustExist, and the host writes nothing at all: an SQLite
    // file is opened read-only with its journal mode as it is, no table,
    // trigger or schema is made or brought up to date, so a copy on read-only
    // media or a PostgreSQL role with SELECT rights alone can be read. Every
    // write then fails (DatabaseError); ListHistory seals nothing on SQLite
    // (its readers give the changes sealed so far).
    enum class Tables { Create, MustExist, ReadOnly };

    // Opens url and creates the host's tables when they are missing. dialogs may
    // be null: the host then shows nothing and AskMessage raises. dataFolder ""
    // means a per-user data folder. Throws AutomationError (ConnectionError)
    // naming what failed; the text never contains the password.
    explicit ReferenceHost(const QString& url, std::shared_ptr<IDialogs> dialogs = {},
                           const QString& dataFolder = {}, Tables tables = Tables::Create);
    // The same, shared, ready to be put as the component's GIC object.
    static std::shared_ptr<ReferenceHost> Open(const QString& url, std::shared_ptr<IDialogs> dialogs = {},
                                               const QString& dataFolder = {});
    ~ReferenceHost() override;
    ReferenceHost(const ReferenceHost&) = delete;
    ReferenceHost& operator=(const ReferenceHost&) = delete;

    // ---- IHostServices -------------------------------------------------------
    // Raises as described above when the connection cannot be had again.
    QSqlDatabase GetConnection() override;
    // Rewrites the desktop dialect for the engine: "DELETE * FROM" and
    // "DELETE t.* FROM" lose the star, [bracketed names] become plain or quoted
    // names, the bare words True and False become -1 and 0; a condition
    // UsrDefCod = 'code' compares without regard to the case of A-Z, and a code
    // whose upper case differs beyond A-Z ("straße") also finds its upper case
    // ("STRASSE"). Quoted literals, quoted names and comments are never
    // changed. Mode and Reserved are ignored.
    QString TranslateSql(QString Statement, qint16 Mode, qint16 Reserved) override;
    // 'text' with quotes doubled; "NULL" for "" when EmptyAsNull. A NUL character
    // or an unpaired UTF-16 surrogate raises.
    QString SqlValue(QString Text, bool EmptyAsNull, qint16 Mode, qint16 Reserved) override;
    qint32 GetOfficeMode() override;
    qint32 GetOfficeID() override;
    // Names are matched, without regard to case, against the real columns of
    // Table; an unknown table or field raises naming it. Values are bound, never
    // put in the statement. Insert (Key 0) sets OfficeID to GetOfficeID(); an
    // update is restricted to the current office in office mode 7. OfficeID in
    // FieldNames is ignored: the host owns it. "" becomes NULL in a numeric or
    // date column. A NUL character or an unpaired surrogate in a value raises, and
    // so does a UsrDefTable code with a letter outside A-Z that is not upper
    // case ("ärzte"), which a request in another spelling would not find. Mode
    // and Required do not change the behaviour.
    bool SaveRecord(qint16 Mode, const QString& Table, const QString& KeyField, qint32& Key,
                    const QStringList& FieldNames, const QStringList& Values, bool Required) override;
    // Shows catalogue message Code (%1 and %2 take Arg1 and Arg2) through the
    // dialogs object. An unknown code is shown as itself with OK and gives 1.
    qint16 AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) override;
    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override;
    // "" gives no pieces (Count 0); a text without Separator gives one piece.
    // Past 99 separators the rest of the text stays in piece 100.
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override;
    // Count 0 (or below) replaces all, N at most N; the text before Start is kept.
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override;
    // The title with surrounding blanks removed.
    QString CaptionText(const QString& Title) override;
    QString KeyPrefix() override;
    // CodeListKey table; without a row: trimmed, leading bars removed, upper case.
    QString CodeListKey(const QString& ListReference) override;
    void PipeVariableList(const QString& VariableText, QString& ListCode) override;
    // ListJoinWords table for the list a reference names (a list code, or a
    // reference such as "|TEETH", as CodeListKey resolves it); defaults ",",
    // " and", "" and " ". A composed entry starts with a blank of its own, so
    // the words carry none at their end.
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override;
    // InsertEachItem table, for the list a reference names as above.
    bool InsertEachItem(const QString& ListCode) override;
    bool LetterColumnsOff() override;
    bool CanModifyLists() override;
    // The data folder with a trailing '/'; its Stp and WP folders are created.
    QString GetHostPath() override;
    // A file name (no folder) that cannot leave Stp: only letters, digits, '-'
    // and '_' are kept, at most 60 of them, so it has no dot for the window to
    // cut at; a changed or shortened code gets '~' and 8 hex digits of its hash,
    // so codes never share a file.
    QString LayoutFileName(const QString& ListCode, const QString& Extra) override;
    // Reads HostOptions on Connection when it is open, else on the host's own.
    void ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection, qint16 Reserved,
                        qint16& Flag) override;
    void SetCurrentPatientID(qint32 Id) override;
    qint32 GetCurrentPatientID() override;
    // "Last, First" of paTable row Id in the current office (office clause in mode 7).
    QString PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                          QString& ProviderText) override;
    qint32 GetDefaultProvider() override;
    // FeeTypes table; while it is empty every fee type above 0 is valid.
    void IsValidFeeType(qint16 FeeType, bool& Valid) override;
    // Sets the host status text to Text ("" clears it).
    void ResetHostText(const QString& Text) override;
    // Mode 1: processes pending events, then waits up to 50 ms for more.
    // Other modes only process what is pending.
    void NotifyHost(qint16 Mode) override;
    // One transaction for the run, unless one is open on the connection
    // already (then false: the caller's transaction decides). A connection
    // lost or made again during the run makes EndSaveRecords(true) raise.
    bool BeginSaveRecords() override;
    // Seals the run's changes in the list history once the host is idle again.
    void EndSaveRecords(bool Write) override;
    // From the list history (ListHistory.h), for UsrDefTable.
    bool LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) override;

    // ---- The host application's side -----------------------------------------
    Engine engine() const;
    // The URL without its password, fit for messages and logs.
    QString describe() const;
    // The same for any address; an invalid one gives a placeholder.
    static QString redactUrl(const QString& url);
    // Whether url holds a password (or another secret libpq takes), which a
    // program given it on its command line shows to every local user.
    static bool addressHoldsSecret(const QString& url);
    qint32 schemaVersion() const;

    // Who works at this workstation, as the list history records each change
    // this host makes: the login name (by default $USER, else the account the
    // process runs under) and the workstation's name (the machine's). The
    // history keeps the account the database knows beside them.
    QString loginName() const;
    virtual void setLoginName(const QString& name);
    QString workstationName() const;

    // A file outside the database where each new head of the list history's
    // chain is appended after it is sealed ("CHANGE HASH UTC", a line each),
    // for vv-lists verify --expect FILE; a relative path is taken in the data
    // folder. "" (the default) keeps none. Keep it on the office's server,
    // where the workstations' database roles cannot write.
    QString historyAnchorFile() const;
    virtual void setHistoryAnchorFile(const QString& path);

    virtual void setOfficeMode(qint32 mode);
    virtual void setOfficeID(qint32 officeId);
    std::shared_ptr<IDialogs> dialogs() const;
    virtual void setDialogs(std::shared_ptr<IDialogs> dialogs);
    QString hostText() const;
    virtual void setHostText(const QString& text);

    // HostOptions, stored in the database.
    virtual QString option(const QString& name, const QString& defaultValue = {}) const;
    virtual void setOption(const QString& name, const QString& value);
    virtual void removeOption(const QString& name);

    // The host data tables, stored in the database, under the key their
    // getters look up: list codes and references resolved as CodeListKey
    // resolves them ("|PROC" and "proc" are PROC), variable names after their
    // bars; all trimmed and upper-cased. setPipeVariable refuses a name
    // PipeVariableList could not read (InvalidProcedureCall).
    virtual void setCodeListKey(const QString& listReference, const QString& listCode);
    virtual void setListJoinWords(const QString& listCode, const QString& between, const QString& beforeLast,
                                  const QString& afterLast, const QString& codeJoin);
    virtual void setInsertEachItem(const QString& listCode, bool eachItem);
    virtual void setPipeVariable(const QString& variableName, const QString& listCode);
    virtual void setFeeType(qint16 feeType, const QString& description);

private:
    friend class ListHistory;
    // A deleted UsrDefTable row put back under its key and office, by SaveRecord's rules.
    void restoreRow(qint32 key, qint32 office, const QStringList& names, const QStringList& values);
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace viVavazuruv
