#include "ListImport.h"

#include "HostTables.h"

#include <viVavazuruv/AutomationError.h>

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

// UsrDefTable's columns as this database has them.
QStringList tableColumns(ReferenceHost& host) {
    QSqlQuery q(host.GetConnection());
    if (!q.exec(u"select * from "_s + usrdef::kTable + u" where 1 = 0"_s))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading UsrDefTable's columns failed: %1"_s.arg(q.lastError().text()));
    QStringList names;
    for (int c = 0; c < q.record().count(); ++c)
        names << columnName(q.record().fieldName(c));
    return names;
}

// The columns the host makes UsrDefTable with, for a database that has none yet.
QStringList createdColumns() {
    return kTextColumns + QStringList{usrdef::kKey, usrdef::kOffice};
}

// Which of the file's columns are written, and where they are in a record.
struct Layout {
    QStringList fields;
    QList<qsizetype> from; // -1: a column the file leaves out
    qsizetype code = -1;
    qsizetype description = -1;
    qsizetype width = 0; // the header's fields
    bool textOnly = true;

    QString value(const CsvRecord& row, qsizetype f) const {
        return from.at(f) < 0 ? u""_s : row.fields.at(from.at(f));
    }
};

Layout readHeader(CsvRecord header, const QStringList& columns) {
    // A spreadsheet pads the header with empty cells up to its widest row too.
    dropTrailingEmpty(header.fields, 0);
    Layout layout;
    layout.width = header.fields.size();
    QStringList seen;
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString named = header.fields.at(i).trimmed();
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const QString& c) {
            return c.compare(named, Qt::CaseInsensitive) == 0;
        });
        if (column == columns.end())
            throw FileFault::at(header, u"%1 has no column \"%2\""_s.arg(usrdef::kTable, named));
        if (seen.contains(*column))
            throw FileFault::at(header, u"the column %1 is named twice"_s.arg(*column));
        seen << *column;
        // New rows get new keys, and the office is the one imported into.
        if (*column == usrdef::kKey || *column == usrdef::kOffice)
            continue;
        if (*column == usrdef::kCode)
            layout.code = layout.fields.size();
        if (*column == usrdef::kDescription)
            layout.description = layout.fields.size();
        layout.textOnly = layout.textOnly && kTextColumns.contains(*column);
        layout.fields << *column;
        layout.from << i;
    }
    for (const auto& [present, name] :
         {std::pair(layout.code >= 0, usrdef::kCode), {layout.description >= 0, usrdef::kDescription}})
        if (!present)
            throw FileFault::at(header, u"the header names no %1 column"_s.arg(name));
    // Stored as "", as the picker and the seeded lists store them, not NULL.
    for (const QString& column : kTextColumns)
        if (columns.contains(column) && !layout.fields.contains(column)) {
            layout.fields << column;
            layout.from << -1;
        }
    return layout;
}

void checkRow(CsvRecord& row, const Layout& layout) {
    // A spreadsheet pads a row with empty cells up to its widest row.
    dropTrailingEmpty(row.fields, layout.width);
    if (row.fields.size() != layout.width)
        throw FileFault::at(
            row, u"%1 fields where the header names %2"_s.arg(row.fields.size()).arg(layout.width));
    for (qsizetype f = 0; f < layout.fields.size(); ++f)
        if (const QString fault = unstorablePart(layout.value(row, f)); !fault.isEmpty())
            throw FileFault::at(row,
                                u"%1 holds %2, which cannot be stored"_s.arg(layout.fields.at(f), fault));
    // The limit SaveRecord keeps to, so a list imported can be saved from the picker as it is.
    const QString description = layout.value(row, layout.description);
    const qsizetype length = descriptionLength(description);
    if (length > kMaxDescriptionLength)
        throw FileFault::at(row, u"the description is %1 characters long; a list entry's description holds "
                                 u"%2 at most"_s.arg(length)
                                     .arg(kMaxDescriptionLength));
    if (endsWithBar(description))
        throw FileFault::at(row, u"the description ends with a bar, which is never filled"_s);
    const QString code = layout.value(row, layout.code);
    if (code.isEmpty())
        throw FileFault::at(row, u"the row has no list code (%1)"_s.arg(usrdef::kCode));
    if (const qsizetype codeLength = descriptionLength(code); codeLength > kMaxListCodeLength)
        throw FileFault::at(
            row, u"the list code is %1 characters long; a list code holds %2 at most"_s.arg(codeLength)
                     .arg(kMaxListCodeLength));
    if (code.trimmed() != code)
        throw FileFault::at(row,
                            u"the list code \"%1\" has blanks around it, so no request finds it"_s.arg(code));
    if (!isStorableListCode(code))
        throw FileFault::at(row, u"the list code \"%1\" cannot be stored: letters outside A-Z must be upper "
                                 u"case (\"%2\")"_s.arg(code, code.toUpper()));
}

// Outside office mode 7 the database's OfficeID option names the office, and
// a replace empties the list in every office: with several offices' lists
// that would reach into the others.
void requireOneOffice(ReferenceHost& host) {
    if (host.GetOfficeMode() == 7)
        return;
    QSqlQuery q(host.GetConnection());
    q.setForwardOnly(true);
    if (!q.exec(u"select %1 from %2 group by %1 order by %1"_s.arg(usrdef::kOffice, usrdef::kTable)))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading the lists' offices failed: %1"_s.arg(q.lastError().text()));
    QStringList offices;
    while (q.next())
        offices << q.value(0).toString();
    if (offices.size() > 1)
        throw FileFault{0, u"the database holds the lists of offices %1 and its office mode is not 7, so "
                           u"nothing says which office the file is for; name it with --office N"_s.arg(
                               offices.join(u", "_s))};
}

// Two replaces of one list at once must not both delete the rows before
// either adds its own. SQLite's run holds the database's write lock from its
// start; PostgreSQL's rows lock only what each delete sees, so the list is
// locked by name until the run ends (a lock of the list, not the table: other
// lists are imported and saved meanwhile).
void lockList(ReferenceHost& host, const QString& code) {
    if (host.engine() != ReferenceHost::Engine::PostgreSQL)
        return;
    QSqlQuery q(host.GetConnection());
    q.prepare(u"select pg_advisory_xact_lock(7605251, hashtext(current_schema() || ':' || ?))"_s);
    q.addBindValue(asciiLower(code.toUpper())); // the key every spelling of the code shares
    if (!q.exec())
        throw AutomationError(ErrorCode::DatabaseError,
                              waitedForLock(q.lastError())
                                  ? listBusy(code)
                                  : u"Locking list %1 failed: %2"_s.arg(code, q.lastError().text()));
    q.finish();
}

// The host's run of writes. On SQLite it begins with the database's write
// lock, and fails only when another connection kept that past the wait.
bool beginRun(ReferenceHost& host, const QString& code) {
    try {
        return host.BeginSaveRecords();
    } catch (const AutomationError& e) {
        if (e.code() == ErrorCode::DatabaseError && host.engine() == ReferenceHost::Engine::SQLite)
            throw AutomationError(ErrorCode::DatabaseError, listBusy(code));
        throw;
    }
}

// Runs a statement of the component's dialect on UsrDefTable; gives the
// count a select gives, or the rows a delete removed.
qint64 runOnList(ReferenceHost& host, const QString& start, const QString& code) {
    QStringList conditions{codeCondition(host, {code}), officeCondition(host)};
    conditions.removeAll(QString());
    QSqlQuery q(host.GetConnection());
    if (!q.exec(host.TranslateSql(start + u" where "_s + conditions.join(u" and "_s), 1, 0)))
        throw AutomationError(ErrorCode::DatabaseError, waitedForLock(q.lastError())
                                                            ? listBusy(code)
                                                            : u"Reading or emptying list %1 failed: %2"_s.arg(
                                                                  code, q.lastError().text()));
    return q.isSelect() ? (q.next() ? q.value(0).toLongLong() : 0) : q.numRowsAffected();
}

// Many rows a statement, prepared once: SaveRecord prepares a statement for
// every row, which takes 2.4 s for 100,000 rows on SQLite and a round trip a
// row on PostgreSQL. Only for the host's own text columns, which take the
// text as it is; other columns go through SaveRecord for its conversions.
class BatchInsert {
public:
    static constexpr qsizetype kRows = 250; // divides kProgressStep

    BatchInsert(ReferenceHost& host, const QStringList& fields)
        : m_host(host), m_fields(fields), m_office(host.GetOfficeID()) {
        m_fields << usrdef::kOffice;
    }

    void add(const QStringList& values) {
        // As SaveRecord stores it: a text column has no NULL, only "".
        for (const QString& v : values)
            m_values << (v.isNull() ? QVariant(u""_s) : QVariant(v));
        m_values << m_office;
        if (m_values.size() == kRows * m_fields.size())
            flush();
    }

    void flush() {
        const qsizetype rows = m_values.size() / m_fields.size();
        if (rows == 0)
            return;
        if (rows != kRows || !m_full) {
            const QString one = u'(' + QStringList(m_fields.size(), u"?"_s).join(u", "_s) + u')';
            QSqlQuery q(m_host.GetConnection());
            if (!q.prepare(u"insert into "_s + usrdef::kTable + u" ("_s + m_fields.join(u", "_s) +
                           u") values "_s + QStringList(rows, one).join(u", "_s)))
                throw AutomationError(ErrorCode::DatabaseError,
                                      u"Preparing the import failed: %1"_s.arg(q.lastError().text()));
            (rows == kRows ? m_full : m_rest) = std::move(q);
        }
        QSqlQuery& q = rows == kRows ? *m_full : *m_rest;
        for (qsizetype i = 0; i < m_values.size(); ++i)
            q.bindValue(int(i), m_values.at(i));
        if (!q.exec())
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Adding the rows failed: %1"_s.arg(q.lastError().text()));
        m_values.clear();
    }

private:
    ReferenceHost& m_host;
    QStringList m_fields;
    qint32 m_office;
    QVariantList m_values;
    std::optional<QSqlQuery> m_full, m_rest;
};

// Writes the rows as they come: in batches when every column is one of the
// host's text columns, else each through SaveRecord for its conversions.
class RowWriter {
public:
    RowWriter(ReferenceHost& host, const Layout& layout) : m_host(host), m_layout(layout) {
        if (layout.textOnly)
            m_batch.emplace(host, layout.fields);
    }

    void add(const CsvRecord& row) {
        QStringList values(m_layout.fields.size());
        for (qsizetype f = 0; f < m_layout.fields.size(); ++f)
            values[f] = m_layout.value(row, f);
        if (m_batch) {
            m_batch->add(values);
            return;
        }
        qint32 key = 0;
        try {
            if (!m_host.SaveRecord(1, usrdef::kTable, usrdef::kKey, key, m_layout.fields, values, true))
                throw FileFault::at(row, u"the row was not stored"_s);
        } catch (const AutomationError& e) {
            if (e.code() == ErrorCode::DatabaseError || e.code() == ErrorCode::ConnectionError)
                throw; // the database's fault, not the row's
            throw FileFault::at(row, e.message());
        }
    }

    void finish() {
        if (m_batch)
            m_batch->flush();
    }

private:
    ReferenceHost& m_host;
    const Layout& m_layout;
    std::optional<BatchInsert> m_batch;
};

// Checks the file's rows as they are read and, with host and without dryRun,
// writes them in one run of the host's writes.
ImportSummary readAndImport(ReferenceHost* host, RecordSource& file, const ImportOptions& options,
                            const Progress& progress) {
    std::optional<CsvRecord> header = file.next();
    if (!header)
        throw FileFault{0, u"the file is empty; it needs a header row naming the columns"_s};
    const Layout layout = readHeader(*header, host ? tableColumns(*host) : createdColumns());
    if (host)
        requireOneOffice(*host);

    ImportSummary summary;
    const bool write = host && !options.dryRun;
    // One run of the host's writes, rolled back unless it ends written, so a
    // refused file or a failure leaves the office as it was; the host records
    // the run's changes in the list history as one entry.
    if (write && !beginRun(*host, options.replace.value_or(QString())))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"The import cannot begin: a transaction is already open on the connection"_s);
    auto rollBack = qScopeGuard([&] {
        if (write)
            host->EndSaveRecords(false);
    });
    if (options.replace && host) {
        if (write) {
            lockList(*host, *options.replace);
            summary.deleted = runOnList(*host, u"Delete * from "_s + usrdef::kTable, *options.replace);
        } else {
            summary.deleted = runOnList(*host, u"select count(*) from "_s + usrdef::kTable, *options.replace);
        }
    }

    std::optional<RowWriter> writer;
    if (write)
        writer.emplace(*host, layout);
    QList<CsvRecord> hostSections; // small: a few rows for each code list
    while (std::optional<CsvRecord> record = file.next()) {
        // The host's tables come after the list rows.
        if (!hostSections.isEmpty() || headsHostTable(*record)) {
            hostSections << std::move(*record);
            continue;
        }
        ++summary.rowsInFile;
        checkRow(*record, layout);
        if (options.replace && !isSameList(layout.value(*record, layout.code), *options.replace)) {
            ++summary.passedOver;
            continue;
        }
        ++summary.added;
        if (!writer)
            continue;
        writer->add(*record);
        if (summary.added % kProgressStep == 0 && progress)
            progress(summary.added);
    }
    if (options.replace && summary.added == 0)
        throw FileFault{0,
                        u"the file has no rows of list %1, so it is left as it is"_s.arg(*options.replace)};
    const QList<HostTableRow> hostRows = readHostTables(hostSections, 0, options.replace);
    summary.hostRows = hostRows.size();
    if (!write)
        return summary;
    writer->finish();
    storeHostTables(*host, hostRows);
    rollBack.dismiss();
    host->EndSaveRecords(true);
    return summary;
}

} // namespace

ImportSummary importLists(ReferenceHost& host, RecordSource& file, const ImportOptions& options,
                          const Progress& progress) {
    return readAndImport(&host, file, options, progress);
}

ImportSummary checkListFile(RecordSource& file, const ImportOptions& options) {
    return readAndImport(nullptr, file, options, {});
}

} // namespace viVavazuruv::lists
