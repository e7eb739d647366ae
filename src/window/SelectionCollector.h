#pragma once

#include <core/PickerRequest.h>
#include <core/SelectionRecord.h>
#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IHostServices.h>

#include <QCoreApplication>

#include <functional>

namespace viVavazuruv {

class IGridControl;

// The select action of one level: every chosen row becomes a selection
// record, followed by a record for each "|??" answered and each dental mark
// ("|T#", "|CARIES", "|MISSING") in its description; a variable that names a
// list opens that list on the next level, whose own records then come in
// between. A title line cannot be chosen.
//
// Plain logic over the grid's interface, the host and the dialogs object;
// what only the window can do comes in as its hooks.
class SelectionCollector final {
    Q_DECLARE_TR_FUNCTIONS(SelectionCollector)

public:
    struct WindowHooks {
        // True once the window is closing (or gone): nothing more is asked, recorded or opened.
        std::function<bool()> closing;
        // Opens the list on the next level and returns once that level is closed.
        std::function<void(const QString& listCode)> openNestedList;
        // Tells that pipe-sign variables are not supported in this request.
        std::function<void()> pipeSignsNotSupported;
    };

    // Records are appended to selection, in the order they are chosen.
    SelectionCollector(IGridControl& grid, qint16 level, const PickerRequest& request, IHostServices& host,
                       IDialogs& dialogs, Selection& selection, WindowHooks hooks);
    SelectionCollector(const SelectionCollector&) = delete;
    SelectionCollector& operator=(const SelectionCollector&) = delete;

    // Records the ticked rows of a multiple selection (the active row when
    // none is ticked, without telling about a title line), or the active
    // row. True when the level may close: nothing was refused and the window
    // is not closing.
    bool collect();

private:
    // What one press of OK is doing: go on, go on without telling about title
    // lines (the multi-selection fall-back), or a title line was refused.
    enum class Status { Proceed, Quiet, Refused };

    void recordRow(qint32 row);
    void appendPlaceholder(const QString& placeholder);
    void scanPlaceholders(QString description);
    bool closing() const { return m_hooks.closing(); }

    IGridControl& m_grid;
    qint16 m_level;
    const PickerRequest& m_request;
    IHostServices& m_host;
    IDialogs& m_dialogs;
    Selection& m_selection;
    WindowHooks m_hooks;
    Status m_status = Status::Proceed;
    // The last "|??" answer, carried from one row's variables to the next.
    QString m_information;
};

} // namespace viVavazuruv
