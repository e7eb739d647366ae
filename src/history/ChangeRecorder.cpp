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

struct ChangeRecorder::Impl {
    bool recording = false;
    sqlite3* sqlite = nullptr;
    QSqlDatabase db;
    // The entry as it grows: its columns, then the run's changes, [action,
    // key, office, list, before] each, comma-separated; closed by finish().
    QByteArray pack;
    qint64 changes = 0;
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

    static void hook(void* self, sqlite3*, int op, const char* database, const char* table,
                     sqlite3_int64 oldKey, sqlite3_int64 newKey) {
        if (qstrcmp(database, "main") != 0 || qstricmp(table, "UsrDefTable") != 0)
            return;
        static_cast<Impl*>(self)->changed(op, oldKey, newKey);
    }

    void stop() noexcept {
        if (sqlite) {
            sqlite3_preupdate_hook(sqlite, nullptr, nullptr);
            sqlite3_db_config(sqlite, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
            sqlite = nullptr;
        }
        recording = false;
        db = QSqlDatabase(); // the host's to close
        pack.clear();
        changes = 0;
        rangeFrom = rangeTo = 0;
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
    d->pack = "{\"columns\":[";
    for (int c = 0; c < d->columnCount; ++c) {
        if (c)
            d->pack += ',';
        appendJsonString(d->pack, d->columns.at(c).second);
    }
    d->pack += "],\"changes\":[";
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
    QSqlQuery q(d->db);
    d->closeRange();
    if (d->changes > 0) {
        // The entry carries its own names, so nothing rewrites a row as long
        // as the run (the session's trigger passes entries over).
        q.prepare(u"INSERT INTO %1 (ChangedAt, LoginName, Workstation, Account, Action, RowAfter) VALUES (?, "
                  u"?, ?, ?, '%2', ?)"_s.arg(kHistoryTable, kPackAction));
        q.addBindValue(historyNow());
        q.addBindValue(login);
        q.addBindValue(workstation);
        q.addBindValue(operatingSystemAccount());
        // The bytes as they are, closed where they lie: nothing copies them.
        d->pack += "]}";
        q.addBindValue(d->pack);
        if (!q.exec()) {
            const QString reason = q.lastError().text();
            d->stop();
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Recording the saved rows in the list history failed: %1"_s.arg(reason));
        }
    }
    d->stop();
}

void ChangeRecorder::abandon() noexcept {
    d->stop();
}

} // namespace viVavazuruv::history
