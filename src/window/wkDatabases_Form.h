#pragma once

#include "PickerLevel.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IHostServices.h>

#include <QDialog>
#include <QMargins>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace viVavazuruv {

class RequestState;
class ListStore;

// The modal picker window: one user-defined list per level, up to four
// nested levels, each with a frame, a grid, five buttons and a status bar.
// It reads the request state while it loads and works, and talks to people
// only through its dialogs object.
//
// Its procedures keep the names office developers know (Form_Load,
// Load_Database, ...) and are split over files by concern; each level's
// controls and state are a PickerLevel.
//
// Geometry is in twips, as the layout rules are written; Twips converts to
// pixels in one place.
class wkDatabases_Form final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kLevels = 4;

    wkDatabases_Form(RequestState& state, std::shared_ptr<IDialogs> dialogs, QWidget* parent = nullptr);
    ~wkDatabases_Form() override;
    Q_DISABLE_COPY_MOVE(wkDatabases_Form)

    // Loads the window the way an entry point does: runs Form_Load.
    void Load();
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

    // Grid loading.
    void Load_Database(qint16 Level, const QString& ListCode, bool ShowPipeSigns);
    void Fill_Database_Grid(qint16 Level, const QString& ListCode, bool ShowPipeSigns);
    void Sort_Grid(qint16 Level);
    void Set_Selection_Mode(qint16 Level);
    // Saving.
    void Save_Database(qint16 Level);

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

    // The window's variables, for the entry points and tests.
    qint16 currentLevel() const { return CurrentLevel; }
    // "NO STP" while the window has no stored layout and its height is still to be fitted.
    const QString& tag() const { return Tag; }
    bool userAction() const { return UserAction; }
    // Stands in for the mouse press or key that lets a button's Click act.
    void setUserAction(bool value) { UserAction = value; }
    bool closing() const { return Closing; }

    bool hasLevel(int index) const;
    PickerLevel& level(int index);
    const PickerLevel& level(int index) const;

    // The window's outer placement and its client area, in twips.
    qint32 FormTop() const { return m_top; }
    qint32 FormLeft() const { return m_left; }
    qint32 FormHeight() const { return m_height; }
    qint32 FormWidth() const { return m_width; }
    void setFormTop(qint32 twips);
    void setFormLeft(qint32 twips);
    void setFormHeight(qint32 twips);
    void setFormWidth(qint32 twips);
    qint32 ClientHeight() const;
    qint32 ClientWidth() const;
    // Window height less client height (title bar and borders).
    qint32 BorderHeight() const;
    qint32 BorderWidth() const;

    IDialogs& dialogs() const { return *m_dialogs; }

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
    enum class SelectStatus;
    void recordSelectedRow(qint16 Index, qint32 Row, SelectStatus& status, QString& information);
    void appendPlaceholderRecord(qint16 Index, const QString& placeholder, const QString& information);
    void scanPlaceholders(qint16 Index, QString description, QString& information);
    void connectLevel(int index);
    // The one way into window code from Qt's event loop: whatever the handler
    // throws ends the request (the window unloads) and is kept for the entry
    // point to raise once the modal loop has returned.
    void runHandler(const std::function<void()>& handler) noexcept;
    void keepError(const AutomationError& error);

    IHostServices& host() const;
    ListStore store() const;
    void createLevel(int index);
    void applyGeometry();
    void applyDefaultPlacement();
    // The frame around the window: the real one once shown, else the last one seen.
    QMargins frameMarginsNow() const;
    // Re-applies the outer size when the real frame differs from the assumed one.
    bool syncFrame();

    // Window variables, under the names the window's procedures use.
    qint16 CurrentLevel = 0;
    bool Loading = false;
    bool UserAction = false;
    bool Closing = false;
    qint32 PatientID = 0;
    QString Tag;

    RequestState& m_state;
    std::shared_ptr<IDialogs> m_dialogs;
    std::array<std::unique_ptr<PickerLevel>, kLevels> m_levels;
    qint32 m_top = 0;
    qint32 m_left = 0;
    qint32 m_height = 0;
    qint32 m_width = 0;
    QMargins m_assumedFrame;
    bool m_activated = false;
    bool m_unloaded = false;
    bool m_applyingGeometry = false;
    std::optional<AutomationError> m_pendingError;
};

} // namespace viVavazuruv
