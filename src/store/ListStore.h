#pragma once

#include <core/VbArray.h>
#include <grid/IGridControl.h>
#include <viVavazuruv/IHostServices.h>

#include <QString>
#include <QStringList>

#include <QHash>

#include <functional>
#include <optional>

namespace viVavazuruv {

// The three ways the component touches UsrDefTable: load one list into a
// grid, delete one row, save one row. Statements are written in the suite's
// original desktop dialect and always pass through the host's TranslateSql;
// inserts and updates are the host's SaveRecord. Keeps no state between calls.
class ListStore final {
public:
    explicit ListStore(IHostServices& host) : m_host(host) {}

    // Called after row `row` (1-based) has been written into the grid.
    using RowLoaded = std::function<void(qint32 row)>;

    // Where ReadList puts a list's rows as it reads them.
    class RowSink {
    public:
        virtual ~RowSink() = default;
        // Before the first row when the count is known, else ahead of the
        // rows that have come so far: room for this many rows. A guess may
        // be more than the rows read.
        virtual void expect(qint32 rows) = 0;
        // Column col of row row (1-based): its field's text, trimmed.
        virtual void cell(qint32 col, qint32 row, QAnyStringView text) = 0;
        // Every column of row row is in.
        virtual void rowRead(qint32 row) = 0;
    };

    // Reads list listCode into rows 1.. of grid: column c (1..columnCount)
    // gets field fieldNames(c), trimmed. Reading stops at the first row whose
    // UsrDefCod differs from listCode in more than case. Once the rows are
    // copied, a failing step (a missing or unreadable field, a cell write) is
    // passed over so the list loads what it can; errors before that (the host,
    // the query) raise. Grows MaxRows to the rows delivered and leaves any
    // shrinking to the caller. Returns the number of rows read.
    qint32 LoadList(const QString& listCode, const VbArray<QString>& fieldNames, qint16 columnCount,
                    IGridControl& grid, const RowLoaded& rowLoaded = {}) const;
    // The same read into any sink: column c (1..columnCount) of each row is
    // field fieldNames(c), trimmed; a cell or row the sink fails to take is
    // passed over, an error before the rows are read raises. Returns the
    // number of rows read.
    qint32 ReadList(const QString& listCode, const VbArray<QString>& fieldNames, qint16 columnCount,
                    RowSink& sink) const;

    // The stored rows of a list with these keys, each as the texts of
    // fields 1 to count (trimmed, as a grid shows them): one read. With
    // lock, inside a run of saves that the host holds as one transaction,
    // those rows stay locked until the run ends: nobody changes them between
    // this read and the run's writes, and saves of other rows of the list
    // do not wait. They are locked in key order, so two runs never wait for
    // each other both ways.
    QHash<qint32, QStringList> StoredRows(const QString& listCode, const QList<qint32>& keys,
                                          const VbArray<QString>& fieldNames, qint16 count,
                                          bool lock = false) const;
    // The same for one row; empty when the row is not stored (in this office).
    std::optional<QStringList> StoredRow(qint32 key, const VbArray<QString>& fieldNames, qint16 count) const;
    // Whether a row with this key is stored at all, in any list or office:
    // tells a row moved elsewhere from one deleted.
    bool RowExists(qint32 key) const;

    // Deletes the row with this key (office clause included). Raises when the statement fails.
    void DeleteRow(qint32 key) const;

    // Inserts (key 0; the new key comes back through key) or updates one row
    // through the host. True when the row was written.
    bool SaveRow(qint32& key, const QStringList& fieldNames, const QStringList& values) const;
    // A run of SaveRow calls the host may write together (IHostServices::
    // BeginSaveRecords); true when it holds the rows back until EndSaveRun.
    bool BeginSaveRun() const;
    void EndSaveRun(bool write) const;

private:
    // " and (OfficeID=N)" when the host's office mode is 7, else "".
    QString OfficeClause() const;
    // The load statement before translation, office clause included.
    QString LoadStatement(const QString& listCode) const;
    // The delete statement before translation, office clause included.
    QString DeleteStatement(qint32 key) const;

    IHostServices& m_host;
};

} // namespace viVavazuruv
