#include <viVavazuruv/ReferenceHost.h>

#include "ReferenceHostImpl.h"

#include "HostSchema.h"
#include "SqlTranslate.h"
#include "TextRules.h"

#include <history/ChangeSeal.h>
#include <history/HistorySchema.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {

struct Message {
    const char* text; // in English; shown in the office's language
    qint32 flags;
};

// The host's message catalogue: code -> text (%1, %2 take the arguments) and box flags.
const QHash<QString, Message>& messageCatalogue() {
    static const QHash<QString, Message> catalogue{
        {u"SA001"_s,
         {QT_TRANSLATE_NOOP("ReferenceHost", "Do you want to save the changes?"),
          MsgBox::YesNo + MsgBox::Question}},
    };
    return catalogue;
}

} // namespace

ReferenceHost::ReferenceHost(const QString& url, std::shared_ptr<IDialogs> dialogs, const QString& dataFolder,
                             Tables tables) {
    refhost::DatabaseAddress address = refhost::parseDatabaseAddress(url);
    address.readOnly = tables == Tables::ReadOnly;
    d = std::make_unique<Impl>(address);
    d->dialogs = std::move(dialogs);
    QString folder = dataFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/viVavazuruv"_s;
    d->dataFolder = QDir::cleanPath(QDir(folder).absolutePath()) + u'/';
    d->login = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (d->login.isEmpty()) // cron and services set no $USER: the account is still somebody's
        d->login = history::operatingSystemAccount();
    if (tables != Tables::Create) {
        QSqlQuery q(d->connection.database());
        const bool found =
            q.exec(d->postgres() ? u"SELECT 1 FROM information_schema.tables WHERE table_schema = "
                                   u"current_schema() AND table_name = 'usrdeftable'"_s
                                 : u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = "
                                   u"'usrdeftable'"_s) &&
            q.next();
        if (!found)
            throw AutomationError(ErrorCode::ConnectionError,
                                  u"%1 holds no user-defined lists: it has no table %2. Is it the "
                                  u"practice's database (an SQLite file copied while in use may be "
                                  u"empty)?"_s.arg(d->connection.description(), usrdef::kTable));
    }
    // Read only: the tables are taken as they are, and nobody's writes need naming.
    if (tables != Tables::ReadOnly) {
        refhost::createHostSchema(d->connection.database(), d->postgres());
        history::installHistoryTriggers(d->connection.database(), d->postgres());
        d->connection.setSessionSetup([impl = d.get()](QSqlDatabase& db) { impl->startSession(db); });
    }
    // Watched only now: the schema's steps may rightly keep the server busy for long.
    d->connection.watchAnswers(address.statementTimeoutMs);
}
std::shared_ptr<ReferenceHost> ReferenceHost::Open(const QString& url, std::shared_ptr<IDialogs> dialogs,
                                                   const QString& dataFolder) {
    return std::make_shared<ReferenceHost>(url, std::move(dialogs), dataFolder);
}

ReferenceHost::~ReferenceHost() = default;

QString ReferenceHost::historyAnchorFile() const {
    return d->historyKeeper.anchorFile();
}

void ReferenceHost::setHistoryAnchorFile(const QString& path) {
    d->historyKeeper.setAnchorFile(path.isEmpty() ? QString() : QDir(d->dataFolder).absoluteFilePath(path));
}

// ---- IHostServices -------------------------------------------------------------

QSqlDatabase ReferenceHost::GetConnection() {
    return d->connection.usable();
}

QString ReferenceHost::TranslateSql(QString Statement, qint16, qint16) {
    return refhost::translateStatement(Statement, d->postgres() ? refhost::Dialect::PostgreSQL
                                                                : refhost::Dialect::SQLite);
}

QString ReferenceHost::SqlValue(QString Text, bool EmptyAsNull, qint16, qint16) {
    return refhost::sqlLiteral(Text, EmptyAsNull);
}

qint32 ReferenceHost::GetOfficeMode() {
    if (d->officeMode)
        return *d->officeMode;
    if (!d->connection.inRun())
        return d->intOption(u"OfficeMode"_s, 0);
    if (!d->runOfficeMode)
        d->runOfficeMode = d->intOption(u"OfficeMode"_s, 0);
    return *d->runOfficeMode;
}

qint32 ReferenceHost::GetOfficeID() {
    if (d->officeId)
        return *d->officeId;
    if (!d->connection.inRun())
        return d->intOption(u"OfficeID"_s, 1);
    if (!d->runOfficeId)
        d->runOfficeId = d->intOption(u"OfficeID"_s, 1);
    return *d->runOfficeId;
}

bool ReferenceHost::SaveRecord(qint16, const QString& Table, const QString& KeyField, qint32& Key,
                               const QStringList& FieldNames, const QStringList& Values, bool) {
    return d->writer.save(*this, Table, KeyField, Key, FieldNames, Values);
}

bool ReferenceHost::BeginSaveRecords() {
    d->runOfficeMode.reset();
    d->runOfficeId.reset();
    return d->connection.beginRun();
}

void ReferenceHost::EndSaveRecords(bool Write) {
    d->runOfficeMode.reset();
    d->runOfficeId.reset();
    d->connection.endRun(Write);
}

bool ReferenceHost::LastChange(const QString& Table, qint32 Key, QString& ChangedBy, QDateTime& ChangedAt) {
    if (Table.compare(usrdef::kTable, Qt::CaseInsensitive) != 0)
        return false;
    // Sealed first, so a change an entry holds is seen; when another
    // workstation is sealing meanwhile, who changed the row is not known for
    // sure, and the question is asked without a name rather than waited for.
    QSqlDatabase& db = d->connection.usable();
    d->historyKeeper.seal(db, false);
    if (history::unsealedChanges(db))
        return false;
    const std::optional<ListChange> last = ListHistory(*this).lastChangeOf(Key);
    if (!last)
        return false;
    ChangedBy = last->user;
    ChangedAt = QDateTime::fromString(last->at, Qt::ISODateWithMs);
    return true;
}

qint16 ReferenceHost::AskMessage(const QString& Code, const QString& Arg1, const QString& Arg2) {
    if (!d->dialogs)
        throw AutomationError(
            ErrorCode::HostError,
            u"Message %1 cannot be shown: the host was opened without a dialogs object."_s.arg(Code));
    const auto it = messageCatalogue().constFind(Code.trimmed().toUpper());
    if (it == messageCatalogue().constEnd()) {
        d->dialogs->MessageBox(Code, MsgBox::OkOnly, QString());
        return qint16(MsgBox::AnswerOk);
    }
    QString text = QCoreApplication::translate("ReferenceHost", it->text);
    text.replace(u"%1"_s, Arg1).replace(u"%2"_s, Arg2);
    return qint16(d->dialogs->MessageBox(text, it->flags, QString()));
}

QString ReferenceHost::GetField(const QString& Text, const QString& Separator, qint16 Index, qint16) {
    return d->fields.fieldAt(Text, Separator, Index);
}

void ReferenceHost::SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                              qint16& Count) {
    Pieces = refhost::splitPieces(Text, Separator);
    Count = qint16(Pieces.size());
}

void ReferenceHost::ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement,
                                    qint16 Count, qint32 Start, qint16) {
    d->replacer.replace(Text, Find, Replacement, Count, Start);
}

QString ReferenceHost::CaptionText(const QString& Title) {
    return Title.trimmed();
}

QString ReferenceHost::KeyPrefix() {
    return d->readOption(d->connection.database(), u"KeyPrefix"_s).value_or(QString());
}

bool ReferenceHost::LetterColumnsOff() {
    return d->flagOption(u"LetterColumnsOff"_s, 0, d->connection.database()) != 0;
}

bool ReferenceHost::CanModifyLists() {
    return d->flagOption(u"CanModifyLists"_s, -1, d->connection.database()) != 0;
}

QString ReferenceHost::GetHostPath() {
    const QDir root(d->dataFolder);
    for (const QString& sub : {u"Stp"_s, u"WP"_s})
        if (!root.mkpath(sub))
            throw AutomationError(
                ErrorCode::HostError,
                QCoreApplication::translate("ReferenceHost", "The host cannot create the folder \"%1\".")
                    .arg(root.filePath(sub)));
    return d->dataFolder;
}

QString ReferenceHost::LayoutFileName(const QString& ListCode, const QString& Extra) {
    return refhost::layoutFileNameFor(ListCode, Extra);
}

void ReferenceHost::ReadOptionFlag(const QString& Key, qint16 Default, QSqlDatabase* Connection, qint16,
                                   qint16& Flag) {
    const bool useGiven = Connection && Connection->isValid() && Connection->isOpen();
    // Workstations sharing this database never overwrite each other's list
    // edits unasked, unless an office turns the check off.
    if (Key.compare(u"LIST_CONFLICT_CHECK"_s, Qt::CaseInsensitive) == 0)
        Default = -1;
    Flag = d->flagOption(Key, Default, useGiven ? *Connection : d->connection.database());
}

void ReferenceHost::SetCurrentPatientID(qint32 Id) {
    d->currentPatient = Id;
}

qint32 ReferenceHost::GetCurrentPatientID() {
    return d->currentPatient;
}

QString ReferenceHost::PatientLookup(qint32 Id, QString& LastName, QString& FirstName, QString& ChartNumber,
                                     QString& ProviderText) {
    LastName.clear();
    FirstName.clear();
    ChartNumber.clear();
    ProviderText.clear();
    if (Id == 0)
        return {};
    const bool officeClause = GetOfficeMode() == 7;
    QSqlQuery q = d->prepare(u"SELECT pLASNAM, pFIRNAM, pChaNum, pPROIND FROM paTable WHERE pID = ?"_s +
                             (officeClause ? u" AND OfficeID = ?"_s : QString()));
    q.addBindValue(Id);
    if (officeClause)
        q.addBindValue(GetOfficeID());
    d->run(q);
    if (!q.next())
        return {};
    LastName = q.value(0).toString().trimmed();
    FirstName = q.value(1).toString().trimmed();
    ChartNumber = q.value(2).toString();
    ProviderText = q.isNull(3) ? QString() : QString::number(q.value(3).toLongLong());
    if (LastName.isEmpty() || FirstName.isEmpty())
        return LastName + FirstName;
    return LastName + u", "_s + FirstName;
}

qint32 ReferenceHost::GetDefaultProvider() {
    return d->intOption(u"DefaultProvider"_s, 0);
}

void ReferenceHost::ResetHostText(const QString& Text) {
    setHostText(Text);
}

void ReferenceHost::NotifyHost(qint16 Mode) {
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (Mode != 1)
        return;
    // The timer bounds the wait; any other event ends it sooner. Sleeping in
    // the dispatcher keeps an outer waiting loop from spinning a core.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(50);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// ---- The host application's side ----------------------------------------------

ReferenceHost::Engine ReferenceHost::engine() const {
    return d->connection.engine();
}

QString ReferenceHost::describe() const {
    return d->connection.description();
}

QString ReferenceHost::redactUrl(const QString& url) {
    try {
        return refhost::parseDatabaseAddress(url).description;
    } catch (const AutomationError&) {
        return u"(an invalid database address)"_s;
    }
}

bool ReferenceHost::addressHoldsSecret(const QString& url) {
    try {
        return refhost::parseDatabaseAddress(url).passwordInAddress;
    } catch (const AutomationError&) {
        return false;
    }
}

qint32 ReferenceHost::schemaVersion() const {
    return refhost::storedSchemaVersion(d->connection.database());
}

void ReferenceHost::restoreRow(qint32 key, qint32 office, const QStringList& names,
                               const QStringList& values) {
    d->writer.insertAs(usrdef::kTable, usrdef::kKey, key, office, names, values);
}

QString ReferenceHost::loginName() const {
    return d->login;
}

void ReferenceHost::setLoginName(const QString& name) {
    refhost::requireStorable(name);
    d->login = name;
    d->startSession(d->connection.usable());
}

QString ReferenceHost::workstationName() const {
    return d->workstation;
}

void ReferenceHost::setOfficeMode(qint32 mode) {
    d->officeMode = mode;
}

void ReferenceHost::setOfficeID(qint32 officeId) {
    d->officeId = officeId;
}

std::shared_ptr<IDialogs> ReferenceHost::dialogs() const {
    return d->dialogs;
}

void ReferenceHost::setDialogs(std::shared_ptr<IDialogs> dialogs) {
    d->dialogs = std::move(dialogs);
}

QString ReferenceHost::hostText() const {
    return d->hostText;
}

void ReferenceHost::setHostText(const QString& text) {
    d->hostText = text;
}

QString ReferenceHost::option(const QString& name, const QString& defaultValue) const {
    return d->readOption(d->connection.database(), name).value_or(defaultValue);
}

void ReferenceHost::setOption(const QString& rawName, const QString& value) {
    const QString name = rawName.trimmed(); // as option() and the host's own reads look it up
    // Names match without regard to case, so a differently spelt old row goes
    // first. No transaction of its own: a caller's transaction may be open.
    QSqlQuery del =
        d->prepare(u"DELETE FROM HostOptions WHERE lower(OptionName) = lower(?) AND OptionName <> ?"_s);
    del.addBindValue(name);
    del.addBindValue(name);
    d->run(del);
    QSqlQuery ins =
        d->prepare(u"INSERT INTO HostOptions (OptionName, OptionValue) VALUES (?, ?) "
                   u"ON CONFLICT (OptionName) DO UPDATE SET OptionValue = excluded.OptionValue"_s);
    ins.addBindValue(name);
    ins.addBindValue(value);
    d->run(ins);
}

void ReferenceHost::removeOption(const QString& name) {
    QSqlQuery del = d->prepare(u"DELETE FROM HostOptions WHERE lower(OptionName) = lower(?)"_s);
    del.addBindValue(name.trimmed());
    d->run(del);
}

} // namespace viVavazuruv
