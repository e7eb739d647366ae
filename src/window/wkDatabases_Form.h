#pragma once

#include "GridMenu.h"
#include "ListEditSession.h"
#include "LoadedList.h"
#include "PickerLevel.h"
#include "WindowPlacement.h"

#include <core/PickerRequest.h>
#include <core/SelectionRecord.h>
#include <patient/PatientRecord.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IHostServices.h>

#include <QDialog>
#include <QMargins>

class QMenu;

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace viVavazuruv {

class RequestState;

// The modal picker window: one user-defined list per level, up to four
// nested levels, each with a frame, a grid, five buttons and a status bar.
// It reads the request state while it loads and works, and talks to people
// only through its dialogs object.
//
// Its procedures keep the names office developers know (Form_Load,
// Load_Database, ...) and are split over files by concern. The work is done
// by parts with state of their own: each level's controls and list are a
// PickerLevel, the placement and settings file a WindowPlacement, editing
// and saving a list a ListEditSession, the select action a
// SelectionCollector, the right-click menu a GridMenu; the procedures are
// the entry points that forward to them.
class wkDatabases_Form final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kLevels = 4;

    // state: what outlives the request (the host, the settings marker).
    wkDatabases_Form(RequestState& state, PickerRequest request, std::shared_ptr<IDialogs> dialogs,
                     QWidget* parent = nullptr);
    ~wkDatabases_Form() override;
    Q_DISABLE_COPY_MOVE(wkDatabases_Form)

    // Loads the window the way an entry point does: runs Form_Load.
    void Load();
    // The same from level 0 as an entry point already read it (LoadList for
    // this request): the host is asked none of it again.
    void Load(LoadedList loaded);
    // Unloads the window (the code path, or the title bar's close with mode 0).
    void Unload(qint16 unloadMode = 1);

    // Lifecycle.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_QueryUnload(qint16& Cancel, qint16 UnloadMode);
    void Form_Unload(qint16& Cancel);

    // Settings file.
    void Load_Window_Setting();
    void Save_Window_Setting();
    void Stp_File_Name(QString& result);

    // Layout and levels.
    void Arrange_Controls(bool ShowAddDelete);
    void Enable_Level_Buttons(qint16 Level, bool Enabled);
    void Show_Edit_Button(qint16 Level);
    void Open_Database_Level(qint16 Level, const QString& DatabaseName);
    void Create_Level_Controls(qint16 Level);
    void Set_Button_Hints(qint16 Index);
    // The tool-tips the host's POPUP_HELP_FLAG asks for (none when flag is 0).
    void applyButtonHints(qint16 Index, qint16 flag);

    // Grid loading.
    void Load_Database(qint16 Level, const QString& ListCode, bool ShowPipeSigns);
    void Fill_Database_Grid(qint16 Level, const QString& ListCode, bool ShowPipeSigns);
    void Sort_Grid(qint16 Level);
    void Set_Selection_Mode(qint16 Level);
    // Saving.
    void Save_Database(qint16 Level);
    // The key of the entry under the cursor; empty for a line not saved yet.
    QString activeEntryKey(qint16 Level);
    // After a refill: the cursor goes to the row whose key cell holds key, in
    // column col; it stays where it stood when there is none.
    void keepCursorOn(qint16 Level, const QString& key, qint32 col);

    // Buttons.
    void cmd_Add_Click(qint16 Index);
    void cmd_Del_Click(qint16 Index);
    void cmd_Cancel_Click(qint16 Index);
    void cmd_Cancel_KeyDown(qint16 Index, qint16 KeyCode, qint16 Shift);
    void cmd_Cancel_KeyPress(qint16 Index, qint16& KeyAscii);
    void cmd_Select_Click(qint16 Index);
    void Pipsign_Not_Support();

    // Makes (Row, Col) current and tells whether it holds a title line ("$-").
    bool IsTitleLine(qint16 Index, qint32 Row, qint32 Col, bool ShowMessage);

    // Edit mode: the Edit/Done button switches a level between browse and edit.
    void cmd_Edit_Click(qint16 Index);
    // The first row, searching column by column, whose trimmed text contains
    // Text (trimmed) in any case; it becomes the active row. 0 when none does.
    qint32 Find_Grid_Text(qint16 Index, const QString& Text, qint32 FromCol, qint32 ToCol, bool SkipHidden);
    // Shows a pipe-sign level's two-character variables as "(?)".
    void Pipsign_Replace(qint16 Level);

    // Events of each level's grid; other handlers call some of them directly.
    void uddbs_SS_CellChange(qint16 Index, qint32 Col, qint32 Row);
    void uddbs_SS_CellClick(qint16 Index, qint32 Col, qint32 Row);
    void uddbs_SS_CellDoubleClick(qint16 Index, qint32 Col, qint32 Row);
    void uddbs_SS_EditModeChange(qint16 Index, qint32 Col, qint32 Row, qint16 Mode, bool ChangeMade);
    void uddbs_SS_RightClick(qint16 Index, qint16 ClickType, qint32 Col, qint32 Row, qint32 X, qint32 Y);
    void uddbs_SS_TopLeftChange(qint16 Index, qint32 OldLeft, qint32 OldTop, qint32 NewLeft, qint32 NewTop);
    void uddbs_SS_KeyDown(qint16 Index, qint16& KeyCode, qint16& Shift);
    void uddbs_SS_MouseUp(qint16 Index, qint16& Button, qint16& Shift, float X, float Y);
    // The grid's pop-up menu: item 0 "Select Codes", item 1 "Select Letter".
    void mnuPopUps_Click(qint16 Index);
    QMenu* mnuPopUp() const { return m_menu.menu(); }

    // The window's variables, for the entry points and tests.
    qint16 currentLevel() const { return CurrentLevel; }
    // "NO STP" while the window has no stored layout and its height is still to be fitted.
    QString tag() const { return m_placement.fitPending() ? QStringLiteral("NO STP") : QString(); }
    bool userAction() const { return UserAction; }
    // Stands in for the mouse press or key that lets a button's Click act.
    void setUserAction(bool value) { UserAction = value; }
    bool closing() const { return Closing; }
    // The patient the window loaded for its pipe-sign lists.
    const PatientRecord& patient() const { return Patient; }

    bool hasLevel(int index) const;
    PickerLevel& level(int index);
    const PickerLevel& level(int index) const;

    // The window's outer placement and its client area, in twips.
    qint32 FormTop() const { return m_placement.top(); }
    qint32 FormLeft() const { return m_placement.left(); }
    qint32 FormHeight() const { return m_placement.height(); }
    qint32 FormWidth() const { return m_placement.width(); }
    void setFormTop(qint32 twips) { m_placement.setTop(twips); }
    void setFormLeft(qint32 twips) { m_placement.setLeft(twips); }
    void setFormHeight(qint32 twips) { m_placement.setHeight(twips); }
    void setFormWidth(qint32 twips) { m_placement.setWidth(twips); }
    qint32 ClientHeight() const { return m_placement.clientHeight(); }
    qint32 ClientWidth() const { return m_placement.clientWidth(); }
    // Window height less client height (title bar and borders).
    qint32 BorderHeight() const { return m_placement.borderHeight(); }
    qint32 BorderWidth() const { return m_placement.borderWidth(); }
    // The frame a window assumes until the window manager has drawn its own (for tests).
    static void assumeFrame(const QMargins& frame) { WindowPlacement::assumeFrame(frame); }

    IDialogs& dialogs() const { return *m_dialogs; }
    // The request the window shows; a nested level's frame caption is added as it opens.
    const PickerRequest& request() const { return m_request; }
    // The rows chosen so far, in the order they were chosen; the window keeps none after.
    Selection takeSelection();

    // The error that ended the request from inside an event handler, if any;
    // the entry point raises it once the modal window has returned.
    std::optional<AutomationError> takePendingError();

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class PickerLevel;
    void connectLevel(int index);
    // Ends the cell editors of every level and delivers their events, so a
    // command sees what was typed; false when that closed the window.
    bool commitGridEdits();
    // The edit session of a level, over its list and grid.
    ListEditSession editSession(qint16 Level);
    void enterEditMode(qint16 Index);
    void leaveEditMode(qint16 Index);
    // Opens a list named in a chosen row on the next level and waits until it is closed.
    void openNestedList(qint16 Index, const QString& listCode);
    // A nested level closes: the level below gets the keyboard and is shown
    // as the current one again.
    void handBack(qint16 Index);
    // Only the level in front can take the focus or an access key.
    void coverLevelsBelow();
    // The level's grid takes the keys, its cursor on the first row that can be chosen.
    void focusFirstEntry(qint16 Level);
    void typeToFind(qint16 Index, qint16 KeyCode);
    void chooseLetterFile(qint32 row);
    // Tells the user a save failed and why, and whether nothing of it was
    // saved; a dialog that fails in its turn is only logged.
    void tellSaveFailed(const std::exception_ptr& failure, bool nothingSaved) noexcept;
    // Rows of a level marked edited or new, still to be written.
    qint32 rowsToSave(qint16 Level);
    // The one way into window code from Qt's event loop: whatever the handler
    // throws ends the request (the window unloads) and is kept for the entry
    // point to raise once the modal loop has returned.
    void runHandler(const std::function<void()>& handler) noexcept;
    void keepError(const AutomationError& error);

    IHostServices& host() const;
    ListStore store() const;
    void createLevel(int index);

    // Window variables, under the names the window's procedures use.
    qint16 CurrentLevel = 0;
    bool Loading = false;
    bool UserAction = false;
    bool Closing = false;
    // True while a grid's key handler runs: a key that arrives meanwhile (a
    // message of the last one is up) is not handled, on whatever level.
    bool KeyBusy = false;
    qint32 PatientID = 0;
    PatientRecord Patient;
    // The host's LIST_CONFLICT_CHECK: saves and deletes check what another
    // workstation did meanwhile. Asked when the window first edits, not when
    // it loads: most windows only answer or pick, and each question is a
    // round trip to a shared server.
    std::optional<bool> ConflictCheck;
    // The host's KEYBOARD_USER_ACTION: an access key, or Space or Enter on a
    // focused button, is the user's action as a mouse press on a button is.
    std::optional<bool> KeyboardUserAction;
    bool keyboardUserAction();

    RequestState& m_state;
    PickerRequest m_request;
    Selection m_selection;
    std::shared_ptr<IDialogs> m_dialogs;
    std::array<std::unique_ptr<PickerLevel>, kLevels> m_levels;
    // A level that waits for the nested list it opened for one of its
    // entry's variables; and a nested level closed meanwhile whose hand-back
    // waits until the level below knows whether the next variable opens it again.
    std::array<bool, kLevels> m_nestedAwaited{};
    std::array<bool, kLevels> m_handBackDue{};
    WindowPlacement m_placement;
    GridMenu m_menu;
    bool m_activated = false;
    bool m_unloaded = false;
    std::optional<AutomationError> m_pendingError;
    // Level 0 as the entry point read it, until Form_Load has made the level from it.
    std::optional<LoadedList> m_loaded;
    // Fills level 0's grid from m_loaded; the number of rows.
    qint32 fillFromLoaded(PickerLevel& lvl);
};

} // namespace viVavazuruv
