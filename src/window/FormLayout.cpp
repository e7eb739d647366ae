// Placement of every level's controls, opening nested levels, button states.
#include "wkDatabases_Form.h"

#include "FormTwips.h"
#include "LevelFrame.h"
#include "ListColumns.h"
#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>

#include <QGroupBox>
#include <QRegularExpression>

namespace viVavazuruv {

namespace {
// The layout in twips.
constexpr qint32 kFrameMargin = 45;
constexpr qint32 kCascadeDown = 780;
constexpr qint32 kCascadeRight = 650;
constexpr qint32 kMinFrameHeight = 2000;
constexpr float kFitRowUnits = 12.5f;
constexpr qint32 kFitExtras = 90 + 90 + 225 + 510;
constexpr qint32 kScreenFillingRows = 100;

// An entry's words without its pipe-sign variables: "Filling |SF" is "Filling".
QString withoutVariables(const QString& text) {
    static const QRegularExpression variable(QStringLiteral("\\|\\S*"));
    return QString(text).remove(variable).simplified();
}
} // namespace

void wkDatabases_Form::Arrange_Controls(bool ShowAddDelete) {
    // Which levels are up, and the longest list among them.
    int topLevel = 0;
    qint32 rows = 0;
    for (int i = 0; i < kLevels; ++i) {
        if (!hasLevel(i))
            break;
        try {
            const PickerLevel& lvl = level(i);
            if (!lvl.Uddbs_Frame->isHidden()) {
                topLevel = i;
                rows = std::max(rows, lvl.grid().DataRowCnt());
            }
        } catch (const AutomationError&) {
            // A level that cannot be read does not take part in the layout.
            logPassedOver(lcWindow, "reading a level for the layout", std::current_exception());
        }
    }
    PickerLevel& base = level(0);
    if (rows < 1)
        rows = base.grid().DataRowCnt();
    if (rows < 1)
        rows = 1;
    rows += 1; // the header row

    // The height the rows want, never past the screen's bottom. In 64 bits:
    // a Top or a row count far out of range must not overflow the sums.
    const qint64 border = BorderHeight();
    const qint64 rowTwips = twips::roundedTwips(base.grid().RowHeightToTwips(1, kFitRowUnits));
    qint64 wanted = twips::pixelsToTwipsY(base.cmd_Add->height()) + qint64(rows) * rowTwips + kFitExtras;
    // A window that would pass its screen's bottom is moved up before it is
    // made lower (the placement does that): it is never cut by the edge.
    const QRect area = m_placement.availableArea();
    const qint64 areaTop = area.isEmpty() ? 0 : twips::pixelsToTwipsY(area.top());
    const qint64 areaBottom =
        area.isEmpty() ? twips::screenHeightTwips() : twips::pixelsToTwipsY(area.bottom() + 1);
    const qint64 top = FormTop();
    if (rows >= kScreenFillingRows)
        wanted = areaBottom - top - border;
    else
        wanted = std::min(wanted, areaBottom - areaTop - border);

    // Fitted once, and only by growing, while no stored layout applies.
    if (rows >= 3)
        m_placement.fitHeight(wanted);

    // A nested level's frame wide enough for its buttons side by side and
    // its grid's columns, as far as the screen allows (level 0 keeps the
    // window's own width: it is the list's stored or default one).
    if (topLevel > 0) {
        const qint32 gridWidth = twips::pixelsToTwipsX(level(topLevel).uddbs_SS->columnsWidth());
        const qint32 frameWidth = std::max(PickerLevel::MinFrameWidth, gridWidth + 2 * PickerLevel::Inset);
        m_placement.widen(2 * kFrameMargin + kCascadeRight * topLevel + frameWidth +
                          m_placement.borderWidth());
    }

    const qint32 clientWidth = ClientWidth();
    const qint32 clientHeight = ClientHeight();
    for (int i = 0; i <= topLevel; ++i) {
        PickerLevel& lvl = level(i);
        qint32 frameTop = kFrameMargin + kCascadeDown * i;
        const qint32 frameLeft = kFrameMargin + kCascadeRight * i;
        const qint32 frameWidth = clientWidth - kFrameMargin - frameLeft;
        qint32 frameHeight = clientHeight - kFrameMargin - frameTop;
        if (frameHeight < kMinFrameHeight) {
            frameTop = kFrameMargin;
            frameHeight = clientHeight - 2 * kFrameMargin;
        }
        lvl.place(frameLeft, frameTop, frameWidth, frameHeight, ShowAddDelete);
    }
    // No title of a level under another's frame.
    LevelFrame::fitTitles(this);
}

void wkDatabases_Form::Enable_Level_Buttons(qint16 Level, bool Enabled) {
    PickerLevel& lvl = level(Level);
    lvl.Uddbs_Frame->setEnabled(true);
    lvl.cmd_Add->setEnabled(Enabled);
    lvl.cmd_Select->setEnabled(Enabled);
    lvl.cmd_Cancel->setEnabled(Enabled);
    lvl.cmd_Del->setEnabled(Enabled);
    lvl.grid().setEnabled(Enabled);
}

void wkDatabases_Form::Show_Edit_Button(qint16 Level) {
    if (m_request.WindowOptions.isEmpty())
        return;
    level(Level).cmd_Edit->setVisible(!m_request.WindowOptions.contains(QStringLiteral("NOADD")));
}

void wkDatabases_Form::Open_Database_Level(qint16 Level, const QString& DatabaseName) {
    const qint16 next = qint16(Level + 1);
    if (next >= kLevels)
        return;
    Create_Level_Controls(next);
    PickerLevel& lvl = level(next);
    lvl.Uddbs_Frame->raise();
    m_request.FrameCaptions.at(next) = QStringLiteral("Database = ") + DatabaseName;
    // Heard by the entry it was opened for (the row the select action records).
    const IGridControl& below = level(Level).grid();
    lvl.setSubject(withoutVariables(below.GetText(ListColumn::Description, below.Row())));
    const QString code = host().CodeListKey(DatabaseName);
    Load_Database(next, code, true);
    lvl.Uddbs_Frame->setVisible(true);
    Enable_Level_Buttons(next, true);
    Arrange_Controls(false);
    // The keyboard goes to the new level before the one below is disabled:
    // a disabled grid that has the focus passes it on to whatever comes next,
    // and the focus would wander through the covered level on its way.
    focusFirstEntry(next);
    Enable_Level_Buttons(Level, false);
    coverLevelsBelow();
}

void wkDatabases_Form::coverLevelsBelow() {
    for (int i = 0; i < kLevels; ++i) {
        if (hasLevel(i))
            level(i).setCovered(i < CurrentLevel);
    }
}

void wkDatabases_Form::focusFirstEntry(qint16 Level) {
    IGridControl& grid = level(Level).grid();
    for (qint32 row = 1; row <= grid.MaxRows(); ++row) {
        if (grid.TextView(ListColumn::Description, row).startsWith(TitleLinePrefix))
            continue;
        for (qint32 c = 1; c <= grid.MaxCols(); ++c) {
            grid.setCol(c);
            if (!grid.ColHidden())
                break;
        }
        grid.setRow(row);
        grid.setAction(GridAction::ActivateCell);
        grid.setAction(GridAction::ScrollToCell);
        break;
    }
    grid.SetFocus();
}

void wkDatabases_Form::Create_Level_Controls(qint16 Level) {
    if (Level < 0 || Level >= kLevels)
        throw AutomationError(
            ErrorCode::SubscriptOutOfRange,
            QStringLiteral("The window has levels 0 to 3; there is no level %1.").arg(Level));
    if (!hasLevel(Level)) {
        createLevel(Level);
        level(Level).Uddbs_Frame->hide();
    }
    PickerLevel& lvl = level(Level);
    const PickerLevel& base = level(0);
    if (lvl.uddbs_SBar)
        lvl.uddbs_SBar->hide();
    lvl.setHint(base.hint());
    CurrentLevel = Level;

    lvl.uddbs_SS->setHidden(base.uddbs_SS->isHidden());
    const std::pair<QPushButton*, QPushButton*> buttons[] = {{lvl.cmd_Add, base.cmd_Add},
                                                             {lvl.cmd_Select, base.cmd_Select},
                                                             {lvl.cmd_Cancel, base.cmd_Cancel},
                                                             {lvl.cmd_Edit, base.cmd_Edit},
                                                             {lvl.cmd_Del, base.cmd_Del}};
    for (const auto& [mine, model] : buttons) {
        mine->setHidden(model->isHidden());
        // Level 0's Edit button is disabled only while covered; its own state is what a new level takes.
        mine->setEnabled(model == base.cmd_Edit ? base.editEnabled() : model->isEnabled());
    }
    lvl.Uddbs_Frame->setEnabled(base.Uddbs_Frame->isEnabled());
    lvl.grid().setEnabled(base.uddbs_SS->isEnabled());
    lvl.grid().setContainer(lvl.Uddbs_Frame);

    Show_Edit_Button(Level);
    Set_Button_Hints(Level);
}

void wkDatabases_Form::Set_Button_Hints(qint16 Index) {
    qint16 flag = 0;
    host().ReadOptionFlag(QStringLiteral("POPUP_HELP_FLAG"), -1, nullptr, 0, flag);
    applyButtonHints(Index, flag);
}

void wkDatabases_Form::applyButtonHints(qint16 Index, qint16 flag) {
    PickerLevel& lvl = level(Index);
    if (flag == 0) {
        for (QPushButton* button : {lvl.cmd_Add, lvl.cmd_Edit, lvl.cmd_Select, lvl.cmd_Del, lvl.cmd_Cancel})
            button->setToolTip(QString());
        return;
    }
    lvl.cmd_Add->setToolTip(tr(" New, Left mouse - To enter new "));
    lvl.cmd_Edit->setToolTip(lvl.editing() ? tr(" Editing Complete, Left mouse - Done ")
                                           : tr(" Editing Selection, Left mouse - Edit selection "));
    lvl.cmd_Select->setToolTip(tr(" Confirm Selection, Left mouse - OK "));
    lvl.cmd_Del->setToolTip(tr(" Delete Selection, Left mouse - Delete "));
    lvl.cmd_Cancel->setToolTip(tr(" Close, Left mouse - Exit "));
}

} // namespace viVavazuruv
