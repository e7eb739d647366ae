#pragma once

#include "LevelList.h"

#include <grid/IGridControl.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QString>

namespace viVavazuruv {

namespace grid {
class GridControl;
}
class wkDatabases_Form;

// One level of the picker window (0 to 3): its frame with the grid, the five
// buttons and the status bar, where they stand, the level's list state, and
// the sink of its grid's events. The controls keep the names office
// developers know, and each control's objectName is its name and level
// (cmd_Select_0, uddbs_SS_1, Uddbs_Frame_2, uddbs_SBar_0). The grid's
// events go to the window's handlers for this level, through its one guard.
// Its list state (LevelList) is the level's own: the edit session works on it.
//
// Every control carries an accessible name: the frame its level and
// subject, the grid its subject and what is done in it, each button its
// caption without the access key.
class PickerLevel final : public IGridEvents, public LevelList {
    Q_DECLARE_TR_FUNCTIONS(PickerLevel)

public:
    // Creates the controls inside the window, which also sees every event of
    // the buttons (a press with the mouse is what lets a Click act).
    PickerLevel(wkDatabases_Form& form, int index);
    ~PickerLevel() override;
    PickerLevel(const PickerLevel&) = delete;
    PickerLevel& operator=(const PickerLevel&) = delete;

    // Inset of the buttons and the grid in the frame, and the narrowest frame
    // that holds three buttons with that gap between them (twips).
    static constexpr qint32 Inset = 120;
    static constexpr qint32 MinFrameWidth = 4 * Inset + 3 * 990;

    int index() const { return m_index; }
    IGridControl& grid() const;

    // Places the frame (in the window's client area) and, inside it, the
    // buttons, the grid and, in edit mode, the status bar; all in twips.
    void place(qint32 frameLeft, qint32 frameTop, qint32 frameWidth, qint32 frameHeight, bool showAddDelete);
    // Switches the mode and the Edit button's caption with it, the one way either changes.
    void setMode(LevelMode mode);
    // The frame shows title followed by mark (" ( Editing )" while editing).
    void setTitle(const QString& title, const QString& mark = {});
    // What the level's list is about in plain words, for the names a screen
    // reader says: the frame "Level 2: Filling", the grid "Filling, choose
    // one". A list with nothing better than its code has none: its grid is
    // just "Choose one" ("Tick any number", "Editing the list"), never a
    // code or a nameless table.
    void setSubject(const QString& subject);
    // Whether rows are ticked, several at once; the grid's name says so.
    void setTicksRows(bool ticks);
    // While a nested level lies over this one nothing of it can take the
    // focus or an access key: its Edit button (which nesting leaves enabled)
    // is disabled meanwhile, and gets its own state back when uncovered.
    void setCovered(bool covered);
    // The Edit button's own enabled state, whether covered or not.
    bool editEnabled() const { return m_covered ? m_editEnabled : cmd_Edit->isEnabled(); }
    // The status bar's first panel: a hint, kept until the bar is made.
    const QString& hint() const { return m_hint; }
    void setHint(const QString& text);

    QGroupBox* Uddbs_Frame = nullptr;
    grid::GridControl* uddbs_SS = nullptr;
    QPushButton* cmd_Select = nullptr;
    QPushButton* cmd_Edit = nullptr;
    QPushButton* cmd_Add = nullptr;
    QPushButton* cmd_Cancel = nullptr;
    QPushButton* cmd_Del = nullptr;
    // The status bar, made when the level first shows it (in edit mode).
    QStatusBar* uddbs_SBar = nullptr;
    QLabel* uddbs_SBarPanel = nullptr; // the status bar's first panel

    // IGridEvents: each goes to the window's uddbs_SS_ handler of the same name.
    void CellChange(qint32 Col, qint32 Row) override;
    void CellClick(qint32 Col, qint32 Row) override;
    void CellDoubleClick(qint32 Col, qint32 Row) override;
    void EditModeChange(qint32 Col, qint32 Row, qint16 Mode, bool ChangeMade) override;
    void RightClick(qint16 ClickType, qint32 Col, qint32 Row, qint32 X, qint32 Y) override;
    void TopLeftChange(qint32 OldLeft, qint32 OldTop, qint32 NewLeft, qint32 NewTop) override;
    void KeyDown(qint16& KeyCode, qint16& Shift) override;
    void MouseUp(qint16& Button, qint16& Shift, float X, float Y) override;

private:
    void makeStatusBar();
    void updateNames();

    wkDatabases_Form& m_form;
    int m_index;
    bool m_covered = false;
    QString m_subject;
    bool m_ticksRows = false;
    bool m_editEnabled = true;
    QString m_hint;
};

} // namespace viVavazuruv
