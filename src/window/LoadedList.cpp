#include "LoadedList.h"

#include "PipeSigns.h"
#include "ShownCaption.h"
#include "WindowPlacement.h"

#include <core/RequestState.h>
#include <patient/PatientLoader.h>
#include <store/ListStore.h>

namespace viVavazuruv {

namespace {

// The rows in the grid's own cell store, as a fill leaves them.
class FilledColumns final : public ListStore::RowSink {
public:
    explicit FilledColumns(LoadedList& loaded) : m_loaded(loaded) {
        m_loaded.columns.resize(size_t(loaded.list.ColumnCount) + 1);
    }

    void expect(qint32 rows) override { grow(rows); }
    void cell(qint32 col, qint32 row, QAnyStringView text) override {
        grow(row);
        m_loaded.columns[size_t(col)].set(row - 1, text);
    }
    void rowRead(qint32 row) override {
        m_loaded.list.decidePipeSigns([&](qint32 col) { return m_loaded.columns[size_t(col)].at(row - 1); });
    }
    // Room made ahead for rows that did not come goes again.
    void trim(qint32 rows) {
        for (grid::TextColumn& column : m_loaded.columns)
            column.resize(rows);
    }

private:
    void grow(qint32 rows) {
        if (rows > m_grown) {
            m_grown = rows;
            for (grid::TextColumn& column : m_loaded.columns)
                column.resize(rows);
        }
    }

    LoadedList& m_loaded;
    qint32 m_grown = 0;
};

} // namespace

LoadedList LoadList(RequestState& state, const PickerRequest& request) {
    IHostServices& host = state.Host();
    LoadedList loaded;
    loaded.patientId = CurrentPatientID(host);
    // The window's placement without a settings file asks the host nothing;
    // only its marker outlives the window.
    state.LayoutMarker = WindowPlacement::MinMarker;

    loaded.frameTitle = host.CaptionText(shownCaption(request.FrameCaptions.at(0)));
    loaded.list.setUpColumns(request);
    loaded.list.FrameTag = request.DatabaseCode;
    FilledColumns columns(loaded);
    loaded.rows =
        ListStore(host).ReadList(request.DatabaseCode, request.FieldNames, loaded.list.ColumnCount, columns);
    columns.trim(loaded.rows);

    if (loaded.list.PipeSignLevel == PipeSignMode::ShowsVariables && loaded.patientId != 0) {
        // Loading the patient brings their provider and fee types up to date.
        Load_Patient_Record(host, loaded.patientId, loaded.patient);
        if (loaded.list.DescriptionColumn >= 1) {
            grid::TextColumn& descriptions = loaded.columns[size_t(loaded.list.DescriptionColumn)];
            for (qint32 r = 0; r < loaded.rows; ++r)
                descriptions.set(r, ShowPipeVariables(descriptions.at(r).toString()));
        }
    }
    host.ReadOptionFlag(QStringLiteral("POPUP_HELP_FLAG"), -1, nullptr, 0, loaded.buttonHints);
    return loaded;
}

} // namespace viVavazuruv
