// What each level's grid does with a person's keys, clicks and typing.
#include "BusyGuard.h"
#include "FormTwips.h"
#include "ListColumns.h"
#include "wkDatabases_Form.h"

#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <grid/KeyCodes.h>

#include <QGroupBox>

namespace viVavazuruv {

namespace {
namespace Key {
constexpr qint16 Enter = grid::windowsKeyCode(Qt::Key_Return);
constexpr qint16 Escape = grid::EscapeKeyCode;
constexpr qint16 Space = grid::windowsKeyCode(Qt::Key_Space);
// Digits, letters and a few signs find rows; 31 is accepted with them.
constexpr qint16 FirstFinding = 48;
constexpr qint16 LastFinding = 95;
constexpr qint16 AlsoFinding = 31;
} // namespace Key
constexpr qint16 kShiftOnly = 1;
constexpr qint16 kRightButton = 2;
} // namespace

void wkDatabases_Form::uddbs_SS_CellChange(qint16 Index, qint32 Col, qint32 Row) {
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();
    editSession(Index).cellChanged(Row);
    if (Col == lvl.DescriptionColumn &&
        (QLatin1Char(' ') + m_request.WindowOptions).contains(QStringLiteral("NOPIPSIGN")) &&
        grid.GetText(lvl.DescriptionColumn, Row).contains(QLatin1Char('|')))
        Pipsign_Not_Support();
}

void wkDatabases_Form::uddbs_SS_CellClick(qint16 Index, qint32 Col, qint32 Row) {
    Q_UNUSED(Col)
    if (!level(Index).editing())
        IsTitleLine(Index, Row, ListColumn::Description, true);
}

void wkDatabases_Form::uddbs_SS_CellDoubleClick(qint16 Index, qint32 Col, qint32 Row) {
    uddbs_SS_CellClick(Index, Col, Row);
}

void wkDatabases_Form::uddbs_SS_EditModeChange(qint16 Index, qint32 Col, qint32 Row, qint16 Mode,
                                               bool ChangeMade) {
    Q_UNUSED(Col)
    Q_UNUSED(Row)
    Q_UNUSED(Mode)
    Q_UNUSED(ChangeMade)
    level(Index).ListChanged = true;
}

void wkDatabases_Form::uddbs_SS_TopLeftChange(qint16 Index, qint32 OldLeft, qint32 OldTop, qint32 NewLeft,
                                              qint32 NewTop) {
    Q_UNUSED(OldLeft)
    Q_UNUSED(OldTop)
    Q_UNUSED(NewLeft)
    Q_UNUSED(NewTop)
    IGridControl& grid = level(Index).grid();
    if (m_request.MultiSelect && grid.SelectedCount() >= 1)
        grid.Refresh();
}

void wkDatabases_Form::uddbs_SS_MouseUp(qint16 Index, qint16& Button, qint16& Shift, float X, float Y) {
    Q_UNUSED(Shift)
    Q_UNUSED(X)
    Q_UNUSED(Y)
    if (Button != kRightButton)
        return;
    IGridControl& grid = level(Index).grid();
    // Disabled while the choice is made, so a second release cannot choose twice.
    grid.setEnabled(false);
    if (!level(Index).editing()) {
        if (m_request.MultiSelect && grid.NextSelectedRow(0) == -1 &&
            dialogs().MessageBox(tr("Are you sure you want to exit?"),
                                 MsgBox::YesNo + MsgBox::Exclamation + MsgBox::DefaultButton2,
                                 tr("Exit")) != MsgBox::AnswerYes) {
            grid.setEnabled(true);
            return;
        }
        UserAction = true;
        cmd_Select_Click(Index);
    }
    if (Closing)
        return;
    grid.setEnabled(true);
}

void wkDatabases_Form::uddbs_SS_RightClick(qint16 Index, qint16 ClickType, qint32 Col, qint32 Row, qint32 X,
                                           qint32 Y) {
    Q_UNUSED(ClickType)
    const bool codes = m_request.ColumnWidths(ListColumn::Codes) >= 1;
    const bool letters = m_request.ColumnWidths(ListColumn::Letter) >= 1;
    if (!level(Index).editing() || (!codes && !letters))
        return;
    IGridControl& grid = level(Index).grid();
    if (grid.GetText(ListColumn::Description, Row).startsWith(TitleLinePrefix))
        return;
    grid.setRow(Row);
    grid.setCol(Col);
    grid.setAction(GridAction::ActivateCell);
    grid.setAction(GridAction::ScrollToCell);
    // Where the mouse went down, or under the cell the menu key was pressed on.
    const QPoint at =
        level(Index).uddbs_SS->mapToGlobal(QPoint(twips::twipsToPixelsX(X), twips::twipsToPixelsY(Y)));
    m_menu.popUp(Row, m_request.ColumnWidths(ListColumn::Codes) > 0,
                 m_request.ColumnWidths(ListColumn::Letter) > 0, at);
}

void wkDatabases_Form::uddbs_SS_KeyDown(qint16 Index, qint16& KeyCode, qint16& Shift) {
    // A key that arrives while a message of the last one is up waits its turn.
    const BusyGuard busy(KeyBusy);
    if (!busy.entered())
        return;
    PickerLevel& lvl = level(Index);
    IGridControl& grid = lvl.grid();
    const bool browsing = !lvl.editing();

    switch (KeyCode) {
    case Key::Escape:
        if (browsing) {
            UserAction = true;
            cmd_Cancel_Click(Index);
            return;
        }
        // Throws the edits away: the stored list comes back, and leaving edit
        // mode finds nothing to save. The cursor stays with its entry.
        lvl.Uddbs_Frame->setEnabled(false);
        grid.setReDraw(false);
        {
            const QString key = activeEntryKey(Index);
            const qint32 col = grid.ActiveCol();
            Load_Database(Index, lvl.FrameTag, true);
            keepCursorOn(Index, key, col);
        }
        grid.setReDraw(true);
        lvl.Uddbs_Frame->setEnabled(true);
        UserAction = true;
        cmd_Edit_Click(Index);
        return;
    case Key::Enter:
        if (browsing) {
            UserAction = true;
            cmd_Select_Click(Index);
        }
        return;
    case Key::Space:
        uddbs_SS_CellClick(Index, grid.ActiveCol(), grid.ActiveRow());
        return;
    default:
        break;
    }
    const bool finding =
        (KeyCode >= Key::FirstFinding && KeyCode <= Key::LastFinding) || KeyCode == Key::AlsoFinding;
    if (browsing && finding && (Shift == 0 || Shift == kShiftOnly))
        typeToFind(Index, KeyCode);
}

void wkDatabases_Form::typeToFind(qint16 Index, qint16 KeyCode) {
    const QString prefix = host().KeyPrefix();
    const QString typed{QChar(char16_t(KeyCode))};
    const QString text = prefix.size() == 1 ? prefix.toUpper() + typed.toLower() : typed;
    if (text.isEmpty())
        return;
    IGridControl& grid = level(Index).grid();
    if (text.contains(QLatin1Char(',')) && m_request.MultiSelect) {
        // Several entries at once: each piece ticks the first row whose first column holds it.
        QStringList pieces;
        qint16 count = 0;
        host().SplitText(text, QStringLiteral(","), pieces, count);
        for (qint16 i = 0; i < count && i < pieces.size(); ++i) {
            const qint32 row = Find_Grid_Text(Index, pieces.at(i), 1, 1, true);
            if (row > 0) {
                grid.setRow(row);
                grid.setRowSelected(true);
            }
        }
        return;
    }
    if (Find_Grid_Text(Index, text, 1, grid.MaxCols(), true) == 0)
        dialogs().MessageBox(tr(" Can't find [ %1 ]").arg(text), MsgBox::Information, QString());
}

} // namespace viVavazuruv
