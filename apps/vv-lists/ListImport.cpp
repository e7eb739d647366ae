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

// Which of the file's columns are written, and where they are in a record.
struct Layout {
    QStringList fields;
    QList<qsizetype> from;
    qsizetype code = -1;
    qsizetype description = -1;
};

Layout readHeader(const CsvRecord& header, const QStringList& columns) {
    Layout layout;
    QStringList seen;
    bool description = false;
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString named = header.fields.at(i).trimmed();
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const QString& c) {
            return c.compare(named, Qt::CaseInsensitive) == 0;
        });
        if (column == columns.end())
            throw FileFault{header.line, u"%1 has no column \"%2\""_s.arg(usrdef::kTable, named)};
        if (seen.contains(*column))
            throw FileFault{header.line, u"the column %1 is named twice"_s.arg(*column)};
        seen << *column;
        // New rows get new keys, and the office is the one imported into.
        if (*column == usrdef::kKey || *column == usrdef::kOffice)
            continue;
        if (*column == usrdef::kCode)
            layout.code = layout.fields.size();
        if (*column == usrdef::kDescription)
            layout.description = layout.fields.size();
        description = description || *column == usrdef::kDescription;
        layout.fields << *column;
        layout.from << i;
    }
    for (const auto& [present, name] :
         {std::pair(layout.code >= 0, usrdef::kCode), {description, usrdef::kDescription}})
        if (!present)
            throw FileFault{header.line, u"the header names no %1 column"_s.arg(name)};
    return layout;
}

void checkRow(const CsvRecord& row, const CsvRecord& header, const Layout& layout) {
    if (row.fields.size() != header.fields.size())
        throw FileFault{
            row.line,
            u"%1 fields where the header names %2"_s.arg(row.fields.size()).arg(header.fields.size())};
    for (qsizetype f = 0; f < layout.fields.size(); ++f)
        if (const QString fault = unstorablePart(row.fields.at(layout.from.at(f))); !fault.isEmpty())
            throw FileFault{row.line,
                            u"%1 holds %2, which cannot be stored"_s.arg(layout.fields.at(f), fault)};
    // The limit SaveRecord keeps to, so a list imported can be saved from the picker as it is.
    const qsizetype length = descriptionLength(row.fields.at(layout.from.at(layout.description)));
    if (length > kMaxDescriptionLength)
        throw FileFault{row.line, u"the description is %1 characters long; a list entry's description holds "
                                  u"%2 at most"_s.arg(length)
                                      .arg(kMaxDescriptionLength)};
    const QString& code = row.fields.at(layout.from.at(layout.code));
    if (code.isEmpty())
        throw FileFault{row.line, u"the row has no list code (%1)"_s.arg(usrdef::kCode)};
    if (code.trimmed() != code)
        throw FileFault{row.line,
                        u"the list code \"%1\" has blanks around it, so no request finds it"_s.arg(code)};
    if (!isStorableListCode(code))
        throw FileFault{row.line, u"the list code \"%1\" cannot be stored: letters outside A-Z must be upper "
                                  u"case (\"%2\")"_s.arg(code, code.toUpper())};
}

// Runs a statement of the component's dialect on UsrDefTable; gives the
// count a select gives, or the rows a delete removed.
qint64 runOnList(ReferenceHost& host, const QString& start, const QString& code) {
    QStringList conditions{codeCondition(host, {code}), officeCondition(host)};
    conditions.removeAll(QString());
    QSqlQuery q(host.GetConnection());
    if (!q.exec(host.TranslateSql(start + u" where "_s + conditions.join(u" and "_s), 1, 0)))
        throw AutomationError(ErrorCode::DatabaseError,
                              u"Reading or emptying list %1 failed: %2"_s.arg(code, q.lastError().text()));
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

void saveEach(ReferenceHost& host, const Layout& layout, const QList<const CsvRecord*>& rows,
              const Progress& progress) {
    QStringList values(layout.fields.size());
    qint64 done = 0;
    for (const CsvRecord* row : rows) {
        for (qsizetype f = 0; f < layout.fields.size(); ++f)
            values[f] = row->fields.at(layout.from.at(f));
        qint32 key = 0;
        try {
            if (!host.SaveRecord(1, usrdef::kTable, usrdef::kKey, key, layout.fields, values, true))
                throw FileFault{row->line, u"the row was not stored"_s};
        } catch (const AutomationError& e) {
            if (e.code() == ErrorCode::DatabaseError || e.code() == ErrorCode::ConnectionError)
                throw; // the database's fault, not the row's
            throw FileFault{row->line, e.message()};
        }
        if (++done % kProgressStep == 0 && progress)
            progress(done);
    }
}

void insertInBatches(ReferenceHost& host, const Layout& layout, const QList<const CsvRecord*>& rows,
                     const Progress& progress) {
    BatchInsert insert(host, layout.fields);
    QStringList values(layout.fields.size());
    qint64 done = 0;
    for (const CsvRecord* row : rows) {
        for (qsizetype f = 0; f < layout.fields.size(); ++f)
            values[f] = row->fields.at(layout.from.at(f));
        insert.add(values);
        if (++done % kProgressStep == 0 && progress)
            progress(done);
    }
    insert.flush();
}

} // namespace

ImportSummary importLists(ReferenceHost& host, const QByteArray& file, const ImportOptions& options,
                          const Progress& progress) {
    const QList<CsvRecord> records = readCsv(file);
    if (records.isEmpty())
        throw FileFault{0, u"the file is empty; it needs a header row naming the columns"_s};
    const CsvRecord& header = records.first();
    const Layout layout = readHeader(header, tableColumns(host));

    const qsizetype hostTables = hostTablesStart(records);
    const QList<HostTableRow> hostRows = readHostTables(records, hostTables, options.replace);

    ImportSummary summary;
    summary.rowsInFile = hostTables - 1;
    summary.hostRows = hostRows.size();
    QList<const CsvRecord*> rows;
    for (qsizetype r = 1; r < hostTables; ++r) {
        checkRow(records.at(r), header, layout);
        if (options.replace &&
            !isSameList(records.at(r).fields.at(layout.from.at(layout.code)), *options.replace))
            ++summary.passedOver;
        else
            rows << &records.at(r);
    }
    if (options.replace && rows.isEmpty())
        throw FileFault{0,
                        u"the file has no rows of list %1, so it is left as it is"_s.arg(*options.replace)};
    summary.added = rows.size();

    if (options.dryRun) {
        if (options.replace)
            summary.deleted = runOnList(host, u"select count(*) from "_s + usrdef::kTable, *options.replace);
        return summary;
    }
    // One run of the host's writes, rolled back unless it ends written, so a
    // failure leaves the office as it was; the host records the run's changes
    // in the list history as one entry.
    if (!host.BeginSaveRecords())
        throw AutomationError(ErrorCode::DatabaseError,
                              u"The import cannot begin: a transaction is already open on the connection"_s);
    auto rollBack = qScopeGuard([&] { host.EndSaveRecords(false); });
    if (options.replace)
        summary.deleted = runOnList(host, u"Delete * from "_s + usrdef::kTable, *options.replace);
    if (std::all_of(layout.fields.begin(), layout.fields.end(),
                    [](const QString& f) { return kTextColumns.contains(f); }))
        insertInBatches(host, layout, rows, progress);
    else
        saveEach(host, layout, rows, progress);
    storeHostTables(host, hostRows);
    rollBack.dismiss();
    host.EndSaveRecords(true);
    return summary;
}

} // namespace viVavazuruv::lists
