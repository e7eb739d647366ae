#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "ChangeRecorder.h"

#include "HistorySchema.h"
#include "SqliteHandle.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QVariant>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace viVavazuruv::history {

namespace {

void appendJsonString(QByteArray& out, const char* text, qsizetype size) {
    out += '"';
    qsizetype from = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(text + from, i - from);
        from = i + 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out.append(text + from, size - from);
    out += '"';
}

void appendJsonString(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    appendJsonString(out, utf8.constData(), utf8.size());
}

} // namespace

// An entry holds about this many bytes of changes; a run that changes
// more is recorded as several entries, one after another, so neither this
// recorder, nor SQLite storing a row, nor the sealer reading it ever holds a
// whole large run (a replace of a million rows is 112 MB of before-images).
constexpr qsizetype kEntryBytes = 1 << 20;

struct ChangeRecorder::Impl {
    bool recording = false;
    sqlite3* sqlite = nullptr;
    QSqlDatabase db;
    // The entry as it grows: its columns (head), then the run's changes,
    // [action, key, office, list, before] each, comma-separated; closed by
    // finish(), or when it is full.
    QByteArray head;
    QByteArray pack;
    qint64 changes = 0;
    // Full entries wait here until the run commits: the hook sees rows in the
    // middle of a statement, where nothing may be written to the database.
    std::unique_ptr<QTemporaryFile> spill;
    QList<qint64> spilled; // each full entry's size, in order
    QString spillFault;
    QList<std::pair<QString, QString>> columns;
    int columnCount = 0;
    int officeColumn = -1, codeColumn = -1;

    // Inserts of keys one after another (an import's) are kept as one range.
    qint64 rangeFrom = 0, rangeTo = 0;

    void closeRange() {
        if (rangeTo == 0)
            return;
        pack += changes++ ? ",[\"inserts\"," : "[\"inserts\",";
        pack += QByteArray::number(rangeFrom) + ',' + QByteArray::number(rangeTo) + ']';
        rangeFrom = rangeTo = 0;
    }

    void inserted(qint64 key) {
        if (rangeTo != 0 && key == rangeTo + 1) {
            rangeTo = key;
            return;
        }
        closeRange();
        rangeFrom = rangeTo = key;
    }

    void open(const char* action, qint64 key) {
        closeRange();
        pack += changes++ ? ",[\"" : "[\"";
        pack += action;
        pack += "\",";
        pack += QByteArray::number(key);
    }

    // The row the hook sees, its values in the columns' order (the entry names the columns once).
    template <typename Read> void appendRow(Read read) {
        pack += ",[";
        for (int c = 0; c < columnCount; ++c) {
            sqlite3_value* v = nullptr;
            if (c)
                pack += ',';
            if (read(c, &v) != SQLITE_OK || !v) {
                pack += "null";
                continue;
            }
            switch (sqlite3_value_type(v)) {
            case SQLITE_INTEGER:
                pack += QByteArray::number(sqlite3_value_int64(v));
                break;
            case SQLITE_FLOAT:
                pack += QByteArray::number(sqlite3_value_double(v), 'g', 17);
                break;
            case SQLITE_NULL:
                pack += "null";
                break;
            default:
                appendJsonString(pack, reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                 sqlite3_value_bytes(v));
            }
        }
        pack += ']';
    }

    template <typename Read> void appendOfficeAndList(Read read) {
        sqlite3_value* office = nullptr;
        sqlite3_value* code = nullptr;
        if (officeColumn >= 0)
            read(officeColumn, &office);
        if (codeColumn >= 0)
            read(codeColumn, &code);
        pack += ',';
        pack += office && sqlite3_value_type(office) != SQLITE_NULL
                    ? QByteArray::number(sqlite3_value_int64(office))
                    : QByteArray("null");
        pack += ',';
        if (code && sqlite3_value_type(code) != SQLITE_NULL)
            appendJsonString(pack, reinterpret_cast<const char*>(sqlite3_value_text(code)),
                             sqlite3_value_bytes(code));
        else
            pack += "null";
    }

    // A row's values after the change are taken when it is sealed (from the
    // next change of its key, or the table): the key, and the row before, are enough here.
    void changed(int op, qint64 oldKey, qint64 newKey) {
        const auto before = [this](int c, sqlite3_value** v) {
            return sqlite3_preupdate_old(sqlite, c, v);
        };
        if (op == SQLITE_INSERT) {
            inserted(newKey);
            return;
        }
        if (op == SQLITE_DELETE || oldKey != newKey) {
            open("delete", oldKey);
            appendOfficeAndList(before);
            appendRow(before);
            pack += ']';
            if (op == SQLITE_UPDATE)
                inserted(newKey);
            return;
        }
        open("update", newKey);
        pack += ",null,null";
        appendRow(before);
        pack += ']';
    }

    // The entry closed and put aside, the next one begun. A range still open
    // goes into the next entry, which keeps the changes in their order.
    void putAside() {
        pack += "]}";
        if (spillFault.isEmpty()) {
            if (!spill) {
                spill = std::make_unique<QTemporaryFile>();
                if (!spill->open())
                    spillFault = spill->errorString();
            }
            if (spillFault.isEmpty() && spill->write(pack) != pack.size())
                spillFault = spill->errorString();
            spilled.append(pack.size());
        }
        pack = head;
        changes = 0;
    }

    static void hook(void* self, sqlite3*, int op, const char* database, const char* table,
                     sqlite3_int64 oldKey, sqlite3_int64 newKey) {
        if (qstrcmp(database, "main") != 0 || qstricmp(table, "UsrDefTable") != 0)
            return;
        auto* d = static_cast<Impl*>(self);
        d->changed(op, oldKey, newKey);
        if (d->pack.size() >= kEntryBytes)
            d->putAside();
    }

    // Each entry put aside, then the one being built, as rows of the
    // history; the reason when one cannot be written.
    QString write(const QString& login, const QString& workstation) {
        QSqlQuery q(db);
        // The entry carries its own names, so nothing rewrites a row as long
        // as the run (the session's trigger passes entries over).
        q.prepare(u"INSERT INTO %1 (ChangedAt, LoginName, Workstation, Account, Action, RowAfter) VALUES (?, "
                  u"?, ?, ?, '%2', ?)"_s.arg(kHistoryTable, kPackAction));
        const QString at = historyNow();
        const QString account = operatingSystemAccount();
        const auto insert = [&](const QByteArray& entry) {
            q.bindValue(0, at);
            q.bindValue(1, login);
            q.bindValue(2, workstation);
            q.bindValue(3, account);
            q.bindValue(4, entry);
            return q.exec() ? QString() : q.lastError().text();
        };
        if (!spillFault.isEmpty())
            return u"the changes could not be put aside (%1)"_s.arg(spillFault);
        if (spill && !spill->seek(0))
            return u"the changes put aside could not be read (%1)"_s.arg(spill->errorString());
        for (const qint64 size : std::as_const(spilled)) {
            const QByteArray entry = spill->read(size);
            if (entry.size() != size)
                return u"the changes put aside could not be read (%1)"_s.arg(spill->errorString());
            if (QString fault = insert(entry); !fault.isEmpty())
                return fault;
        }
        if (changes == 0)
            return {};
        // The bytes as they are, closed where they lie: nothing copies them.
        pack += "]}";
        return insert(pack);
    }

    void stop() noexcept {
        if (sqlite) {
            sqlite3_preupdate_hook(sqlite, nullptr, nullptr);
            sqlite3_db_config(sqlite, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
            sqlite = nullptr;
        }
        recording = false;
        db = QSqlDatabase(); // the host's to close
        head.clear();
        pack.clear();
        changes = 0;
        rangeFrom = rangeTo = 0;
        spill.reset();
        spilled.clear();
        spillFault.clear();
    }
};

ChangeRecorder::ChangeRecorder() : d(std::make_unique<Impl>()) {}

ChangeRecorder::~ChangeRecorder() {
    d->stop();
}

bool ChangeRecorder::begin(const QSqlDatabase& db, bool postgres) {
    d->stop();
    d->db = db;
    if (postgres)
        return false;
    // A database whose history was taken away records nothing (nor would its triggers).
    sqlite3* handle = sqliteHandle(db);
    if (!handle || !sqlite3_compileoption_used("ENABLE_PREUPDATE_HOOK") ||
        sqlite3_table_column_metadata(handle, "main", "UsrDefHistory", "ChangeNo", nullptr, nullptr, nullptr,
                                      nullptr, nullptr) != SQLITE_OK)
        return false;
    d->columns = historyColumns(db, postgres);
    d->officeColumn = d->codeColumn = -1;
    d->columnCount = int(d->columns.size());
    for (int c = 0; c < d->columnCount; ++c) {
        if (d->columns.at(c).second == usrdef::kOffice)
            d->officeColumn = c;
        else if (d->columns.at(c).second == usrdef::kCode)
            d->codeColumn = c;
    }
    int off = 1;
    if (sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &off) != SQLITE_OK || off != 0)
        return false;
    d->sqlite = handle;
    d->head = "{\"columns\":[";
    for (int c = 0; c < d->columnCount; ++c) {
        if (c)
            d->head += ',';
        appendJsonString(d->head, d->columns.at(c).second);
    }
    d->head += "],\"changes\":[";
    d->pack = d->head;
    sqlite3_preupdate_hook(handle, &Impl::hook, d.get());
    d->recording = true;
    return true;
}

bool ChangeRecorder::recording() const {
    return d->recording;
}

const QList<std::pair<QString, QString>>& ChangeRecorder::columns() const {
    return d->columns;
}

void ChangeRecorder::finish(const QString& login, const QString& workstation) {
    if (!d->recording)
        return;
    if (d->sqlite) // the entry itself is no change of the list
        sqlite3_preupdate_hook(d->sqlite, nullptr, nullptr);
    d->closeRange();
    const QString reason = d->write(login, workstation);
    d->stop();
    if (!reason.isEmpty())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Recording the saved rows in the list history failed: %1"_s.arg(reason));
}

void ChangeRecorder::abandon() noexcept {
    d->stop();
}

} // namespace viVavazuruv::history
