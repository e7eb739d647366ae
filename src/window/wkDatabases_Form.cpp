#include "wkDatabases_Form.h"

#include "Hourglass.h"
#include "ListColumns.h"
#include "MessageTitle.h"
#include "SaveFailure.h"
#include "ShownCaption.h"

#include <core/CaughtError.h>
#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <grid/KeyCodes.h>
#include <patient/PatientLoader.h>
#include <store/ListStore.h>
#include <window/HelpContext.h>

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QScopeGuard>
#include <QShortcutEvent>
#include <QTimer>

namespace viVavazuruv {

namespace {
// The help topic of the picker window.
constexpr qint16 kPickerHelpTopic = 673;
} // namespace

wkDatabases_Form::wkDatabases_Form(RequestState& state, PickerRequest request,
                                   std::shared_ptr<IDialogs> dialogs, QWidget* parent)
    : QDialog(parent), m_state(state), m_request(std::move(request)), m_dialogs(std::move(dialogs)),
      m_placement(*this, [this] { Form_Resize(); }),
      m_menu(this, [this](qint16 item) { runHandler([this, item] { mnuPopUps_Click(item); }); }) {
    setObjectName(QStringLiteral("wkDatabases_Form"));
    setModal(true);
    setSizeGripEnabled(true);
    createLevel(0);
    // The design size; Load_Window_Setting places the window before it shows.
    m_placement.apply();
}

wkDatabases_Form::~wkDatabases_Form() = default;

IHostServices& wkDatabases_Form::host() const {
    return m_state.Host();
}

ListStore wkDatabases_Form::store() const {
    return ListStore(host());
}

bool wkDatabases_Form::hasLevel(int index) const {
    return index >= 0 && index < kLevels && m_levels[index] != nullptr;
}

PickerLevel& wkDatabases_Form::level(int index) {
    if (!hasLevel(index))
        throw AutomationError(ErrorCode::SubscriptOutOfRange,
                              QStringLiteral("Control array element %1 does not exist.").arg(index));
    return *m_levels[index];
}

const PickerLevel& wkDatabases_Form::level(int index) const {
    return const_cast<wkDatabases_Form*>(this)->level(index);
}

void wkDatabases_Form::createLevel(int index) {
    m_levels[index] = std::make_unique<PickerLevel>(*this, index);
    connectLevel(index);
}

void wkDatabases_Form::connectLevel(int index) {
    PickerLevel& lvl = *m_levels[index];
    const auto level16 = qint16(index);
    // Handlers run for the level whose button was pressed, on what the grids
    // show: an edit still open in a cell counts as typed.
    const auto route = [this, level16](void (wkDatabases_Form::*handler)(qint16)) {
        return [this, level16, handler] {
            runHandler([&] {
                if (commitGridEdits())
                    (this->*handler)(level16);
            });
        };
    };
    connect(lvl.cmd_Add, &QPushButton::clicked, this, route(&wkDatabases_Form::cmd_Add_Click));
    connect(lvl.cmd_Del, &QPushButton::clicked, this, route(&wkDatabases_Form::cmd_Del_Click));
    connect(lvl.cmd_Cancel, &QPushButton::clicked, this, route(&wkDatabases_Form::cmd_Cancel_Click));
    connect(lvl.cmd_Select, &QPushButton::clicked, this, route(&wkDatabases_Form::cmd_Select_Click));
    connect(lvl.cmd_Edit, &QPushButton::clicked, this, route(&wkDatabases_Form::cmd_Edit_Click));
}

bool wkDatabases_Form::commitGridEdits() {
    for (int i = 0; i < kLevels && !m_unloaded; ++i) {
        if (hasLevel(i))
            level(i).grid().CommitEdit();
    }
    return !m_unloaded;
}

void wkDatabases_Form::Load() {
    Form_Load();
}

void wkDatabases_Form::Load(LoadedList loaded) {
    m_loaded = std::move(loaded);
    const auto done = qScopeGuard([this] { m_loaded.reset(); });
    Form_Load();
}

void wkDatabases_Form::Form_Load() {
    Loading = true;
    UserAction = false;
    Closing = false;
    {
        Hourglass hourglass;
        setWindowTitle(shownCaption(m_request.WindowCaption));

        if (m_loaded) {
            PatientID = m_loaded->patientId;
            Patient = m_loaded->patient;
        } else {
            PatientID = CurrentPatientID(host());
        }

        level(0).FrameTag = m_request.DatabaseCode;
        Show_Edit_Button(0);
        Load_Window_Setting();
        Load_Database(0, m_request.DatabaseCode, true);
        Arrange_Controls(false);
    }
    Set_HelpContextID(this, kPickerHelpTopic);
    if (m_loaded)
        applyButtonHints(0, m_loaded->buttonHints);
    else
        Set_Button_Hints(0);
}

void wkDatabases_Form::Form_Activate() {
    try {
        const bool codes = m_request.ColumnWidths(ListColumn::Codes) >= 1;
        const bool letters = m_request.ColumnWidths(ListColumn::Letter) >= 1;
        const QString hint = codes && letters ? tr(" Right click on any field to select codes and letters. ")
                             : codes          ? tr(" Right click on any field to select codes. ")
                             : letters        ? tr(" Right click on any field to select letters. ")
                                              : QString();
        level(0).setHint(hint);
    } catch (const AutomationError&) {
        // The hint is a nicety; a request without column widths simply has none.
        logPassedOver(lcWindow, "the status bar's hint", std::current_exception());
    }
    Loading = false;
}

void wkDatabases_Form::Form_Resize() {
    if (!hasLevel(CurrentLevel))
        return;
    Arrange_Controls(!level(CurrentLevel).cmd_Add->isHidden());
    Save_Window_Setting();
}

void wkDatabases_Form::Form_QueryUnload(qint16& Cancel, qint16 UnloadMode) {
    Q_UNUSED(Cancel)
    Closing = true;
    if (UnloadMode != 0)
        return;
    // Closing from the title bar keeps what was typed on every level being
    // edited, a nested one as much as the first, after asking as Done does.
    for (int i = kLevels - 1; i >= 0; --i) {
        if (!hasLevel(i) || !level(i).editing())
            continue;
        const qint32 unsaved = rowsToSave(qint16(i));
        try {
            Save_Database(qint16(i));
        } catch (...) {
            tellSaveFailed(std::current_exception(), rowsToSave(qint16(i)) == unsaved);
            throw; // the error itself still reaches the caller
        }
    }
}

void wkDatabases_Form::tellSaveFailed(const std::exception_ptr& failure, bool nothingSaved) noexcept {
    try {
        const AutomationError error = caughtAsAutomationError(failure);
        // The database's own words, with the statement, are for whoever reads the log.
        qCWarning(lcSql).noquote() << "a save of the list failed:" << error.code() << error.message();
        dialogs().MessageBox(SaveFailedMessage(error, nothingSaved), MsgBox::Critical, ListMessageTitle());
    } catch (...) {
        logPassedOver(lcWindow, "telling that a save failed", std::current_exception());
    }
}

qint32 wkDatabases_Form::rowsToSave(qint16 Level) {
    IGridControl& grid = level(Level).grid();
    const qint32 statusColumn = level(Level).StatusColumn;
    qint32 count = 0;
    for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
        const QStringView status = grid.TextView(statusColumn, r);
        count += status == RowStatus::Edited || status == RowStatus::New;
    }
    return count;
}

void wkDatabases_Form::Form_Unload(qint16& Cancel) {
    Q_UNUSED(Cancel)
    m_request.WindowOptions.clear();
    Closing = true;
}

void wkDatabases_Form::Unload(qint16 unloadMode) {
    if (m_unloaded)
        return;
    qint16 cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    Form_Unload(cancel);
    m_unloaded = true;
    QDialog::done(QDialog::Rejected);
}

void wkDatabases_Form::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        // The title bar's close button; in edit mode it saves first, what
        // was typed into a cell included.
        runHandler([this] {
            if (commitGridEdits())
                Unload(0);
        });
    }
    event->accept();
}

void wkDatabases_Form::reject() {
    // Escape reaches the window only through the Close button and the grid,
    // which decide themselves what it means.
}

// --- placement -------------------------------------------------------------

void wkDatabases_Form::Stp_File_Name(QString& result) {
    result = WindowPlacement::settingsFile(host(), level(0).FrameTag);
}

void wkDatabases_Form::Load_Window_Setting() {
    m_placement.restore(m_request, m_state.LayoutMarker, host(), level(0).FrameTag);
}

void wkDatabases_Form::Save_Window_Setting() {
    if (!hasLevel(CurrentLevel) || level(CurrentLevel).editing())
        return;
    if (!m_request.KeepWindowLayout || Loading)
        return;
    // While a nested level is open the window's size belongs to that moment, not to the list.
    if (!level(0).grid().Enabled())
        return;
    m_placement.keep(m_state.LayoutMarker, host(), level(0).FrameTag);
}

void wkDatabases_Form::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placement.applying())
        return;
    bool synced = false;
    runHandler([&] { synced = m_placement.syncFrame(); });
    // Only the window system speaks for the user; Qt's own deferred events
    // replay what was set, measured before the frame was known.
    if (synced || !event->spontaneous())
        return;
    m_placement.adoptMove(pos());
}

void wkDatabases_Form::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_placement.applying())
        return;
    bool synced = false;
    runHandler([&] { synced = m_placement.syncFrame(); });
    if (synced || !event->spontaneous())
        return;
    m_placement.adoptSize(frameGeometry());
    runHandler([this] { Form_Resize(); });
}

void wkDatabases_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The frame is known once the window manager has taken the window.
    QTimer::singleShot(0, this, [this] { runHandler([this] { m_placement.syncFrame(); }); });
    // Platforms without window activation (offscreen, some remote sessions)
    // still get their first activation once the window is up.
    if (!m_activated) {
        QTimer::singleShot(0, this, [this] {
            if (!m_activated && isVisible()) {
                m_activated = true;
                runHandler([this] { Form_Activate(); });
            }
        });
    }
}

void wkDatabases_Form::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_activated = true;
        runHandler([this] {
            m_placement.syncFrame();
            Form_Activate();
        });
    }
}

bool wkDatabases_Form::keyboardUserAction() {
    if (!KeyboardUserAction) {
        // Asked on the first key a button gets, not at load: most windows never
        // see one, and each question is a round trip to a shared server. A host
        // that fails to answer leaves the option off.
        qint16 flag = 0;
        try {
            host().ReadOptionFlag(QStringLiteral("KEYBOARD_USER_ACTION"), 0, nullptr, 0, flag);
        } catch (...) {
            logPassedOver(lcWindow, "reading KEYBOARD_USER_ACTION", std::current_exception());
        }
        KeyboardUserAction = flag != 0;
    }
    return *KeyboardUserAction;
}

bool wkDatabases_Form::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        UserAction = true;
        break;
    case QEvent::MouseMove:
        unsetCursor();
        break;
    case QEvent::Shortcut:
        if (!static_cast<QShortcutEvent*>(event)->isAmbiguous() && keyboardUserAction())
            UserAction = true;
        break;
    case QEvent::KeyPress: {
        const auto level16 = qint16(button->property("level").toInt());
        auto* key = static_cast<QKeyEvent*>(event);
        if (hasLevel(level16) && button == level(level16).cmd_Cancel) {
            cmd_Cancel_KeyDown(level16, qint16(key->key() & 0x7fff), 0);
            if (key->key() == Qt::Key_Escape) {
                qint16 ascii = grid::EscapeKeyCode;
                runHandler([&] {
                    if (commitGridEdits())
                        cmd_Cancel_KeyPress(level16, ascii);
                });
                return true;
            }
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if ((enter || key->key() == Qt::Key_Space) && (key->modifiers() & ~Qt::KeypadModifier) == 0) {
            if (keyboardUserAction())
                UserAction = true;
            // Enter presses a focused button as Space does (the buttons are no dialog defaults).
            if (enter) {
                button->click();
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void wkDatabases_Form::runHandler(const std::function<void()>& handler) noexcept {
    // An error must not unwind through the event loop. It ends the request
    // instead: the window closes and the entry point raises it to its caller.
    try {
        handler();
        return;
    } catch (...) {
        const AutomationError error = caughtAsAutomationError(std::current_exception());
        qCWarning(lcHost).noquote() << "the request ends with error" << error.code() << error.message();
        keepError(error);
    }
    try {
        Unload(1);
    } catch (...) {
        // Closing must not fail in its turn: the window goes without its unload steps.
        Closing = true;
        m_unloaded = true;
        QDialog::done(QDialog::Rejected);
    }
}

void wkDatabases_Form::keepError(const AutomationError& error) {
    // The first error is the cause; what follows from it is not news.
    if (!m_pendingError)
        m_pendingError = error;
}

Selection wkDatabases_Form::takeSelection() {
    return std::exchange(m_selection, {});
}

std::optional<AutomationError> wkDatabases_Form::takePendingError() {
    std::optional<AutomationError> error;
    error.swap(m_pendingError);
    return error;
}

} // namespace viVavazuruv
