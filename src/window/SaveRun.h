#pragma once

#include <QStringList>

#include <vector>

namespace viVavazuruv {

class IGridControl;
class ListStore;
struct LevelList;

// One row of a level to write: its grid row, the key to pass (0 inserts) and its pairs.
struct PendingRow {
    qint32 row = 0;
    qint32 key = 0;
    bool added = false;
    QStringList names;
    QStringList values;
};

// The rows of a level written as one run of the host's saves. The run
// begins when asked (so that rows read to be compared stay locked until
// they are written) or when the rows are written, and ends with them.
// A row written is marked stored ("E"), an inserted one with its new key.
class SaveRun final {
public:
    SaveRun(const ListStore& store, IGridControl& grid, const LevelList& list);
    // A run still open is dropped: nothing gathered is written.
    ~SaveRun();
    SaveRun(const SaveRun&) = delete;
    SaveRun& operator=(const SaveRun&) = delete;

    // Begins the host's run unless one is open; true when the host holds
    // its rows back until the run ends (one transaction).
    bool begin();
    void add(PendingRow row) { m_rows.push_back(std::move(row)); }
    // Writes the rows gathered, one SaveRecord call each, and ends the run.
    // A run that fails keeps nothing, so the rows before the failing call
    // are written again one call each and its error is raised: the rows
    // before a failing row stay written, the rest keep their marks.
    void write();
    // Ends an open run without writing; the rows gathered stay gathered.
    void abandon() noexcept;

private:
    void writeOne(const PendingRow& row) const;
    void markWritten(const PendingRow& row, qint32 key) const;

    const ListStore& m_store;
    IGridControl& m_grid;
    const LevelList& m_list;
    std::vector<PendingRow> m_rows;
    bool m_open = false;
    bool m_held = false;
};

} // namespace viVavazuruv
