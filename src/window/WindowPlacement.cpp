// Where the window stands, its frame, and the settings file that keeps its placement.
#include "WindowPlacement.h"

#include "FormTwips.h"
#include "WindowSettings.h"

#include <core/Logging.h>
#include <viVavazuruv/AutomationError.h>

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <utility>

namespace viVavazuruv {

namespace {
constexpr qint32 kDefaultTop = 1000;
constexpr qint32 kDefaultLeft = 3000;

using twips::wholeTwips;

// The frame the window manager drew around the last picker window shown in
// this process; a new window assumes the same until it has one of its own.
std::optional<QMargins> s_lastFrame;

// Before any window was shown: what the style says a title bar and border take.
QMargins styleFrame(const QWidget& widget) {
    const int border = std::max(0, widget.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    const int title = std::max(0, widget.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return QMargins(border, title + border, border, border);
}

// The folder every settings file lives in; nothing outside it is read or written.
QString settingsFolder(IHostServices& host) {
    return host.GetHostPath() + QStringLiteral("Stp/");
}
} // namespace

WindowPlacement::WindowPlacement(QWidget& window, std::function<void()> resized)
    : m_window(window), m_resized(std::move(resized)) {}

QMargins WindowPlacement::frameMarginsNow() const {
    // Qt knows a top-level window's frame only once it is on the screen.
    if (m_window.isVisible()) {
        const QRect outer = m_window.frameGeometry();
        const QRect inner = m_window.geometry();
        const QMargins actual(inner.left() - outer.left(), inner.top() - outer.top(),
                              outer.right() - inner.right(), outer.bottom() - inner.bottom());
        if (!actual.isNull())
            return actual;
    }
    return s_lastFrame.value_or(styleFrame(m_window));
}

void WindowPlacement::assumeFrame(const QMargins& frame) {
    s_lastFrame = frame;
}

qint32 WindowPlacement::borderHeight() const {
    return twips::pixelsToTwipsY(m_assumedFrame.top() + m_assumedFrame.bottom());
}

qint32 WindowPlacement::borderWidth() const {
    return twips::pixelsToTwipsX(m_assumedFrame.left() + m_assumedFrame.right());
}

void WindowPlacement::setTop(qint32 twipsValue) {
    m_top = twips::clampTwips(twipsValue);
    apply();
}

void WindowPlacement::setLeft(qint32 twipsValue) {
    m_left = twips::clampTwips(twipsValue);
    apply();
}

void WindowPlacement::setHeight(qint32 twipsValue) {
    m_height = std::max<qint32>(twips::clampTwips(twipsValue), 0);
    m_heightBeforeFit.reset();
    apply();
    m_resized();
}

void WindowPlacement::setWidth(qint32 twipsValue) {
    m_width = std::max<qint32>(twips::clampTwips(twipsValue), 0);
    apply();
    m_resized();
}

void WindowPlacement::apply() {
    // Qt sizes the client area: the outer size less the frame.
    m_applying = true;
    m_assumedFrame = frameMarginsNow();
    twips::keepOnAScreen(m_left, m_top, m_width, m_height);
    keepWhollyOnScreen();
    m_window.move(twips::twipsToPixelsX(m_left), twips::twipsToPixelsY(m_top));
    m_window.resize(
        std::max(1, twips::twipsToPixelsX(m_width) - m_assumedFrame.left() - m_assumedFrame.right()),
        std::max(1, twips::twipsToPixelsY(m_height) - m_assumedFrame.top() - m_assumedFrame.bottom()));
    m_applying = false;
}

QRect WindowPlacement::availableArea() const {
    const QPoint at(twips::twipsToPixelsX(m_left), twips::twipsToPixelsY(m_top));
    const QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen && m_window.parentWidget())
        screen = m_window.parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void WindowPlacement::keepWhollyOnScreen() {
    const QRect area = availableArea();
    if (area.isEmpty())
        return;
    // Along one axis: the size within the area's, then the start moved so the end is on it too.
    const auto fit = [](qint32& start, qint32& size, int areaFrom, int areaSize, auto toPixels,
                        auto toTwips) {
        int from = toPixels(start);
        int length = toPixels(size);
        if (length > areaSize) {
            length = areaSize;
            size = toTwips(length);
        }
        const int fitted = std::clamp(from, areaFrom, areaFrom + areaSize - std::max(length, 1));
        if (fitted != from) {
            from = fitted;
            start = toTwips(from);
        }
    };
    fit(m_left, m_width, area.x(), area.width(), twips::twipsToPixelsX, twips::pixelsToTwipsX);
    fit(m_top, m_height, area.y(), area.height(), twips::twipsToPixelsY, twips::pixelsToTwipsY);
}

bool WindowPlacement::widen(qint32 outerWidth) {
    const QRect area = availableArea();
    const qint32 most = area.isEmpty() ? outerWidth : twips::pixelsToTwipsX(area.width());
    const qint32 target = std::min(outerWidth, most);
    if (twips::twipsToPixelsX(target) <= twips::twipsToPixelsX(m_width))
        return false;
    m_width = target;
    apply();
    return true;
}

bool WindowPlacement::syncFrame() {
    if (!m_window.isVisible())
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
        m_fitPending = true;
    }
    apply();
    m_resized();
    return true;
}

void WindowPlacement::adoptMove(QPoint at) {
    if (twips::twipsToPixelsX(m_left) != at.x())
        m_left = twips::pixelsToTwipsX(at.x());
    if (twips::twipsToPixelsY(m_top) != at.y())
        m_top = twips::pixelsToTwipsY(at.y());
}

void WindowPlacement::adoptSize(const QRect& outer) {
    if (twips::twipsToPixelsX(m_width) != outer.width())
        m_width = twips::pixelsToTwipsX(outer.width());
    if (twips::twipsToPixelsY(m_height) != outer.height()) {
        m_height = twips::pixelsToTwipsY(outer.height());
        m_heightBeforeFit.reset();
    }
}

void WindowPlacement::fitHeight(qint64 wantedClient) {
    if (!m_fitPending)
        return;
    m_fitPending = false;
    const qint32 before = m_height;
    const qint64 border = borderHeight();
    if (before < wantedClient + border)
        setHeight(twips::clampTwips(wantedClient + border));
    // Fitted with the frame as assumed now; syncFrame fits again with the real one.
    m_heightBeforeFit = before;
}

QString WindowPlacement::settingsFile(IHostServices& host, const QString& listCode, QString* folder) {
    QString name = host.LayoutFileName(listCode, QString());
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return {};
    // One question for the folder: the file and the folder it must stay in come from the same answer.
    const QString inFolder = settingsFolder(host);
    if (folder)
        *folder = inFolder;
    return inFolder + name + QStringLiteral(".STP");
}

void WindowPlacement::placeByDefault(const PickerRequest& request, qint16& marker) {
    marker = MinMarker;
    m_top = request.WindowTop > 0.0f ? wholeTwips(request.WindowTop) : kDefaultTop;
    m_left = request.WindowLeft > 0.0f ? wholeTwips(request.WindowLeft) : kDefaultLeft;
    m_height = DefaultHeight;
    m_width = DefaultWidth;
    apply();
    m_resized();
}

void WindowPlacement::restore(const PickerRequest& request, qint16& marker, IHostServices& host,
                              const QString& listCode) {
    m_fitPending = true;
    m_heightBeforeFit.reset();
    if (!request.KeepWindowLayout) {
        placeByDefault(request, marker);
        return;
    }

    QString path;
    QString folder;
    try {
        path = settingsFile(host, listCode, &folder);
    } catch (const AutomationError&) {
        logPassedOver(lcWindow, "finding the settings file", std::current_exception());
        placeByDefault(request, marker);
        return;
    }
    WindowSettings values;
    values.marker = marker;
    if (!path.isEmpty()) {
        const std::optional<WindowSettings> stored = readWindowSettings(path, folder);
        if (!stored) {
            // Missing, unreadable or malformed: the window fits itself to the list instead.
            placeByDefault(request, marker);
            return;
        }
        values = *stored;
    }
    marker = values.marker;
    qint32 height = values.height;
    qint32 width = values.width;
    if (marker < MinMarker) {
        marker = MinMarker;
        height = DefaultHeight;
        width = DefaultWidth;
    }
    if (height < 1 || width < 1) {
        // A window cannot take such a size; as with an unreadable file, the defaults apply.
        placeByDefault(request, marker);
        return;
    }
    m_top = values.top < 1 ? wholeTwips(request.WindowTop) : values.top;
    m_left = values.left < 1 ? wholeTwips(request.WindowLeft) : values.left;
    m_height = height;
    m_width = width;
    apply();
    m_resized();
    m_fitPending = false;
}

void WindowPlacement::keep(qint16 marker, IHostServices& host, const QString& listCode) const {
    QString path;
    QString folder;
    try {
        path = settingsFile(host, listCode, &folder);
        if (path.isEmpty())
            return;
    } catch (const AutomationError&) {
        logPassedOver(lcWindow, "finding the settings file to write", std::current_exception());
        return;
    }
    const auto fits = [](qint32 v) {
        return v >= -32768 && v <= 32767;
    };
    if (!fits(m_height) || !fits(m_width) || !fits(m_top) || !fits(m_left))
        return; // a value the file cannot hold is not written; the old file stays
    writeWindowSettings(
        path, folder,
        WindowSettings{marker, qint16(m_height), qint16(m_width), qint16(m_top), qint16(m_left)});
}

} // namespace viVavazuruv
