#include "SaveRun.h"

#include "LevelList.h"

#include <grid/IGridControl.h>
#include <store/ListStore.h>

#include <exception>
#include <optional>
#include <utility>

namespace viVavazuruv {

SaveRun::SaveRun(const ListStore& store, IGridControl& grid, const LevelList& list)
    : m_store(store), m_grid(grid), m_list(list) {}

SaveRun::~SaveRun() {
    abandon();
}

bool SaveRun::begin() {
    if (!m_open) {
        m_held = m_store.BeginSaveRun();
        m_open = true;
    }
    return m_held;
}

void SaveRun::abandon() noexcept {
    if (!std::exchange(m_open, false) || !m_held)
        return;
    try {
        m_store.EndSaveRun(false);
    } catch (...) { // the run is dropped either way
    }
}

void SaveRun::markWritten(const PendingRow& row, qint32 key) const {
    if (row.added)
        m_grid.SetText(m_list.ColumnCount, row.row, QString::number(key));
    m_grid.SetText(m_list.StatusColumn, row.row, RowStatus::Stored);
}

void SaveRun::writeOne(const PendingRow& row) const {
    qint32 key = row.key;
    if (m_store.SaveRow(key, row.names, row.values))
        markWritten(row, key);
}

void SaveRun::write() {
    if (m_rows.empty() && !m_open)
        return;
    const std::vector<PendingRow> rows = std::exchange(m_rows, {});
    const bool held = begin();
    m_open = false;
    if (!held) {
        for (const PendingRow& row : rows)
            writeOne(row);
        return;
    }
    std::size_t done = 0; // calls that returned
    std::vector<std::optional<qint32>> written(rows.size());
    try {
        for (; done < rows.size(); ++done) {
            qint32 key = rows[done].key;
            if (m_store.SaveRow(key, rows[done].names, rows[done].values))
                written[done] = key;
        }
        m_store.EndSaveRun(true);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        try {
            m_store.EndSaveRun(false);
        } catch (...) { // the run is dropped either way
        }
        for (std::size_t i = 0; i < done; ++i)
            writeOne(rows[i]);
        if (done < rows.size())
            std::rethrow_exception(failure);
        return; // only the commit failed, and every row is written now
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (written[i])
            markWritten(rows[i], *written[i]);
}

} // namespace viVavazuruv
