#include "wkDatabases_Form.h"

#include "Hourglass.h"

#include "FormTwips.h"
#include <core/CaughtError.h>
#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <store/ListStore.h>
#include <window/HelpContext.h>

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>

namespace viVavazuruv {

namespace {
// The window's design size; Load_Window_Setting places it before it shows.
constexpr qint32 kDesignHeight = 3255;
constexpr qint32 kDesignWidth = 4125;
// The help topic of the picker window.
constexpr qint16 kPickerHelpTopic = 673;
} // namespace

wkDatabases_Form::wkDatabases_Form(RequestState& state, PickerRequest request,
                                   std::shared_ptr<IDialogs> dialogs, QWidget* parent)
    : QDialog(parent), m_state(state), m_request(std::move(request)), m_dialogs(std::move(dialogs)) {
    setObjectName(QStringLiteral("wkDatabases_Form"));
    setModal(true);
    setSizeGripEnabled(true);
    createLevel(0);
    createPopUpMenu();
    m_height = kDesignHeight;
    m_width = kDesignWidth;
    applyGeometry();
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

void wkDatabases_Form::createPopUpMenu() {
    m_popUp = new QMenu(this);
    m_popUp->setObjectName(QStringLiteral("mnuPopUp"));
    const QString captions[] = {QStringLiteral("Select Codes"), QStringLiteral("Select Letter")};
    for (int i = 0; i < 2; ++i) {
        mnuPopUps[i] = m_popUp->addAction(captions[i]);
        mnuPopUps[i]->setObjectName(QStringLiteral("mnuPopUps_%1").arg(i));
        const auto item = qint16(i);
        connect(mnuPopUps[i], &QAction::triggered, this,
                [this, item] { runHandler([this, item] { mnuPopUps_Click(item); }); });
    }
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

void wkDatabases_Form::Form_Load() {
    Loading = true;
    UserAction = false;
    Closing = false;
    {
        Hourglass hourglass;
        setWindowTitle(m_request.WindowCaption);

        PatientID = host().GetCurrentPatientID();
        QString lastName, firstName, chart, provider;
        if (host().PatientLookup(PatientID, lastName, firstName, chart, provider).isEmpty())
            PatientID = 0;

        qint16 conflictCheck = 0;
        host().ReadOptionFlag(QStringLiteral("LIST_CONFLICT_CHECK"), 0, nullptr, 0, conflictCheck);
        ConflictCheck = conflictCheck != 0;
        level(0).FrameTag = m_request.DatabaseCode;
        Show_Edit_Button(0);
        Load_Window_Setting();
        Load_Database(0, m_request.DatabaseCode, true);
        Arrange_Controls(false);
    }
    Set_HelpContextID(this, kPickerHelpTopic);
    Set_Button_Hints(0);
}

void wkDatabases_Form::Form_Activate() {
    try {
        const bool codes = m_request.ColumnWidths(4) >= 1;
        const bool letters = m_request.ColumnWidths(5) >= 1;
        QString hint;
        if (codes || letters) {
            const QString what = codes && letters ? QStringLiteral("codes and letters")
                                 : codes          ? QStringLiteral("codes")
                                                  : QStringLiteral("letters");
            hint = QStringLiteral(" Right click on any field to select ") + what + QStringLiteral(". ");
        }
        level(0).uddbs_SBarPanel->setText(hint);
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
        try {
            Save_Database(qint16(i));
        } catch (...) {
            const AutomationError error = caughtAsAutomationError(std::current_exception());
            try {
                dialogs().MessageBox(QStringLiteral("Your changes to the list were not saved: ") +
                                         error.message(),
                                     MsgBox::Critical, QStringLiteral(" User Defined Database"));
            } catch (...) { // the error itself still reaches the caller
            }
            throw;
        }
    }
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

// --- geometry -------------------------------------------------------------

namespace {
// The frame the window manager drew around the last picker window shown in
// this process; a new window assumes the same until it has one of its own.
std::optional<QMargins> s_lastFrame;

// Before any window was shown: what the style says a title bar and border take.
QMargins styleFrame(const QWidget& widget) {
    const int border = std::max(0, widget.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    const int title = std::max(0, widget.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return QMargins(border, title + border, border, border);
}
} // namespace

QMargins wkDatabases_Form::frameMarginsNow() const {
    // Qt knows a top-level window's frame only once it is on the screen.
    if (isVisible()) {
        const QRect outer = frameGeometry();
        const QRect inner = geometry();
        const QMargins actual(inner.left() - outer.left(), inner.top() - outer.top(),
                              outer.right() - inner.right(), outer.bottom() - inner.bottom());
        if (!actual.isNull())
            return actual;
    }
    return s_lastFrame.value_or(styleFrame(*this));
}

void wkDatabases_Form::assumeFrame(const QMargins& frame) {
    s_lastFrame = frame;
}

qint32 wkDatabases_Form::BorderHeight() const {
    const QMargins frame = m_assumedFrame;
    return twips::pixelsToTwipsY(frame.top() + frame.bottom());
}

qint32 wkDatabases_Form::BorderWidth() const {
    const QMargins frame = m_assumedFrame;
    return twips::pixelsToTwipsX(frame.left() + frame.right());
}

qint32 wkDatabases_Form::ClientHeight() const {
    return m_height - BorderHeight();
}
qint32 wkDatabases_Form::ClientWidth() const {
    return m_width - BorderWidth();
}

void wkDatabases_Form::setFormTop(qint32 twipsValue) {
    m_top = twips::clampTwips(twipsValue);
    applyGeometry();
}

void wkDatabases_Form::setFormLeft(qint32 twipsValue) {
    m_left = twips::clampTwips(twipsValue);
    applyGeometry();
}

void wkDatabases_Form::setFormHeight(qint32 twipsValue) {
    m_height = std::max<qint32>(twips::clampTwips(twipsValue), 0);
    m_heightBeforeFit.reset();
    applyGeometry();
    Form_Resize();
}

void wkDatabases_Form::setFormWidth(qint32 twipsValue) {
    m_width = std::max<qint32>(twips::clampTwips(twipsValue), 0);
    applyGeometry();
    Form_Resize();
}

void wkDatabases_Form::applyGeometry() {
    // Height and Width are the outer size, frame included, as the layout
    // rules and the settings file mean them; Qt sizes the client area.
    m_applyingGeometry = true;
    m_assumedFrame = frameMarginsNow();
    // A window that would open off every screen opens on the nearest one.
    twips::keepOnAScreen(m_left, m_top, m_width, m_height);
    move(twips::twipsToPixelsX(m_left), twips::twipsToPixelsY(m_top));
    resize(std::max(1, twips::twipsToPixelsX(m_width) - m_assumedFrame.left() - m_assumedFrame.right()),
           std::max(1, twips::twipsToPixelsY(m_height) - m_assumedFrame.top() - m_assumedFrame.bottom()));
    m_applyingGeometry = false;
}

bool wkDatabases_Form::syncFrame() {
    if (!isVisible())
        return false;
    const QMargins actual = frameMarginsNow();
    if (actual == m_assumedFrame)
        return false;
    // The window manager drew a frame other than the one assumed: the outer
    // size stays what was asked, the client area gives way.
    s_lastFrame = actual;
    if (m_heightBeforeFit) {
        // The height was fitted to the rows with the frame assumed: fit it again with this one.
        m_height = *std::exchange(m_heightBeforeFit, std::nullopt);
        Tag = QStringLiteral("NO STP");
    }
    applyGeometry();
    Form_Resize();
    return true;
}

void wkDatabases_Form::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_applyingGeometry)
        return;
    bool synced = false;
    runHandler([&] { synced = syncFrame(); });
    // Only the window system speaks for the user; Qt's own deferred events
    // replay what was set, measured before the frame was known.
    if (synced || !event->spontaneous())
        return;
    // The user moved the window: keep the twips unless they still map to the same pixels.
    const QPoint at = pos();
    if (twips::twipsToPixelsX(m_left) != at.x())
        m_left = twips::pixelsToTwipsX(at.x());
    if (twips::twipsToPixelsY(m_top) != at.y())
        m_top = twips::pixelsToTwipsY(at.y());
}

void wkDatabases_Form::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_applyingGeometry)
        return;
    bool synced = false;
    runHandler([&] { synced = syncFrame(); });
    if (synced || !event->spontaneous())
        return;
    const QRect outer = frameGeometry();
    if (twips::twipsToPixelsX(m_width) != outer.width())
        m_width = twips::pixelsToTwipsX(outer.width());
    if (twips::twipsToPixelsY(m_height) != outer.height()) {
        m_height = twips::pixelsToTwipsY(outer.height());
        m_heightBeforeFit.reset();
    }
    runHandler([this] { Form_Resize(); });
}

void wkDatabases_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The frame is known once the window manager has taken the window.
    QTimer::singleShot(0, this, [this] { runHandler([this] { syncFrame(); }); });
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
            syncFrame();
            Form_Activate();
        });
    }
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
    case QEvent::KeyPress: {
        const auto level16 = qint16(button->property("level").toInt());
        if (hasLevel(level16) && button == level(level16).cmd_Cancel) {
            auto* key = static_cast<QKeyEvent*>(event);
            cmd_Cancel_KeyDown(level16, qint16(key->key() & 0x7fff), 0);
            if (key->key() == Qt::Key_Escape) {
                qint16 ascii = 27;
                runHandler([&] {
                    if (commitGridEdits())
                        cmd_Cancel_KeyPress(level16, ascii);
                });
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
