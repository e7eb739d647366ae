// The OK button: the level's selection collector turns the chosen rows into
// the selection records the window returns.
#include "SelectionCollector.h"
#include "wkDatabases_Form.h"

#include <core/RequestState.h>
#include <grid/GridControl.h>

#include <QPointer>
#include <QScopedValueRollback>

namespace viVavazuruv {

void wkDatabases_Form::Pipsign_Not_Support() {
    dialogs().MessageBox(tr("Pipe sign variables are not supported in this area.\r\n\r\n"
                            "Therefore, the variable will appear as shown."),
                         MsgBox::Information, tr("User Definded Database"));
}

void wkDatabases_Form::cmd_Select_Click(qint16 Index) {
    if (!UserAction)
        return;
    QPointer<wkDatabases_Form> alive(this);
    SelectionCollector::WindowHooks hooks;
    hooks.closing = [alive] {
        return !alive || alive->Closing;
    };
    hooks.openNestedList = [this, Index](const QString& listCode) {
        openNestedList(Index, listCode);
    };
    hooks.pipeSignsNotSupported = [this] {
        Pipsign_Not_Support();
    };
    SelectionCollector collector(level(Index).grid(), Index, m_request, host(), dialogs(), m_selection,
                                 std::move(hooks));
    const bool collected = collector.collect();
    if (!alive || Closing)
        return;
    // The last nested level closed is given back now, unless this level's
    // choice closes the window (level 0) and nothing is heard of it anyway.
    const size_t nested = size_t(Index + 1);
    if (nested < kLevels && m_handBackDue[nested] && (!collected || Index > 0))
        handBack(qint16(nested));
    if (collected)
        cmd_Cancel_Click(Index);
}

void wkDatabases_Form::openNestedList(qint16 Index, const QString& listCode) {
    QPointer<wkDatabases_Form> alive(this);
    if (Index + 1 < kLevels)
        m_handBackDue[size_t(Index + 1)] = false; // open again: nothing to give back
    m_nestedAwaited[size_t(Index)] = true;
    Open_Database_Level(Index, listCode);
    // The user works in the nested level; its Close re-enables this grid.
    // Its keys are the user's next keys, not ones arriving during this key's
    // handling, so they are let through meanwhile.
    const QScopedValueRollback keysFree(KeyBusy, false);
    while (alive && !Closing && !level(Index).grid().Enabled())
        host().NotifyHost(1);
    if (alive)
        m_nestedAwaited[size_t(Index)] = false;
}

} // namespace viVavazuruv
