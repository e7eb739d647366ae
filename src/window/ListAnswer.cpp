// A caller's group code answered from the list, without the picker window.
//
// Loading the window for a request it then unloads unseen does more than
// fill a grid, and only this much of it can change the answer or be seen
// afterwards: the list as the store reads it (office clause included), which
// columns are the group and the description, whether the first title line
// makes the list show its variables as "(?)" (and then the current patient,
// whose record is loaded and repaired as the window does), the sort, and the
// settings marker the window's default placement sets. The rest only dresses
// a window nobody sees: the title and the frame's caption (the host's
// CaptionText), fonts, widths, the Edit button, the buttons' tool-tips (the
// host's POPUP_HELP_FLAG, a round trip), the layout and the help topics. The
// current patient is asked only by a list that shows variables, the only use
// the window makes of them; a request that keeps its layout, whose settings
// file the window would read, is left to the window.
#include "ListAnswer.h"

#include "LevelList.h"
#include "PipeSigns.h"
#include "WindowPlacement.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridSort.h>
#include <grid/TextColumn.h>
#include <patient/PatientLoader.h>
#include <store/ListStore.h>

#include <vector>

namespace viVavazuruv {

namespace {

// Level 0's columns as a fill leaves them, in the grid's own cell store.
class FilledColumns final : public ListStore::RowSink {
public:
    explicit FilledColumns(LevelList& list) : m_list(list), m_columns(size_t(list.ColumnCount) + 1) {}

    void expect(qint32 rows) override { grow(rows); }
    void cell(qint32 col, qint32 row, QAnyStringView text) override {
        grow(row);
        m_columns[size_t(col)].set(row - 1, text);
    }
    void rowRead(qint32 row) override {
        m_list.decidePipeSigns([&](qint32 col) { return m_columns[size_t(col)].at(row - 1); });
    }

    grid::TextColumn& operator[](qint32 col) { return m_columns[size_t(col)]; }

private:
    void grow(qint32 rows) {
        if (rows > m_rows) {
            m_rows = rows;
            for (grid::TextColumn& column : m_columns)
                column.resize(rows);
        }
    }

    LevelList& m_list;
    std::vector<grid::TextColumn> m_columns;
    qint32 m_rows = 0;
};

} // namespace

std::optional<QString> ListAnswer(RequestState& state, const PickerRequest& request, const QString& value) {
    if (value.isEmpty() || request.KeepWindowLayout)
        return std::nullopt;
    IHostServices& host = state.Host();
    LevelList list;
    list.setUpColumns(request);
    if (list.ColumnCount < 2)
        return std::nullopt; // no description column to answer with

    // Nothing is placed, but the marker is what the window's default placement leaves.
    state.LayoutMarker = WindowPlacement::MinMarker;
    FilledColumns columns(list);
    const qint32 rows =
        ListStore(host).ReadList(request.DatabaseCode, request.FieldNames, list.ColumnCount, columns);

    // Shown, and so sorted, as the window shows it.
    if (list.PipeSignLevel == PipeSignMode::ShowsVariables) {
        if (const qint32 patientId = CurrentPatientID(host); patientId != 0) {
            PatientRecord patient;
            Load_Patient_Record(host, patientId, patient);
            grid::TextColumn& descriptions = columns[list.DescriptionColumn];
            for (qint32 r = 0; r < rows; ++r)
                descriptions.set(r, ShowPipeVariables(descriptions.at(r).toString()));
        }
    }
    // The grid sorts by two keys, each ascending, descending or not at all;
    // a request asking for more, or another order, gets the window's error.
    std::vector<qint32> order;
    if (request.SortKeys.UBound() >= 1 && request.SortKeys(1) >= 1) {
        if (request.SortKeys.UBound() > 2 || request.SortKeyOrders.UBound() < request.SortKeys.UBound())
            return std::nullopt;
        QList<const grid::TextColumn*> keyColumns;
        QList<Qt::SortOrder> keyOrders;
        for (int k = 1; k <= request.SortKeys.UBound(); ++k) {
            const qint16 sortOrder = request.SortKeyOrders(k);
            if (sortOrder < 0 || sortOrder > 2)
                return std::nullopt;
            // The status column beyond the list's own holds the same mark on every row.
            const qint32 col = request.SortKeys(k);
            if (sortOrder == 0 || col < 1 || col > list.ColumnCount)
                continue;
            keyColumns.append(&columns[col]);
            keyOrders.append(sortOrder == 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        if (!keyColumns.isEmpty() && rows > 1)
            order = grid::sortedOrder(keyColumns, keyOrders, 0, rows);
    }
    const QString wanted = vb::Trim(value).toUpper();
    for (qint32 i = 0; i < rows; ++i) {
        const qint32 r = order.empty() ? i : order[size_t(i)];
        if (vb::Trim(columns[1].at(r).toString()).toUpper() != wanted)
            continue;
        QString description = columns[2].at(r).toString();
        if (description.isEmpty())
            return std::nullopt;
        return description;
    }
    return std::nullopt;
}

} // namespace viVavazuruv
