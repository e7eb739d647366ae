#pragma once

#include <core/PickerRequest.h>
#include <viVavazuruv/IHostServices.h>

#include <QMargins>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;

namespace viVavazuruv {

// Where the picker window stands and how large it is, in twips, and the
// settings file that keeps both between uses. Height and Width are the outer
// size, frame included, as the layout rules and the settings file mean them:
// before the window manager has drawn the frame the last frame seen is
// assumed, and the client area is corrected once the real one is known.
class WindowPlacement final {
public:
    // The window's size when no usable stored size applies.
    static constexpr qint32 DefaultHeight = 3255;
    static constexpr qint32 DefaultWidth = 4125;
    // The least settings marker; the default placement leaves it.
    static constexpr qint16 MinMarker = 4215;

    // resized runs whenever Height or Width changed (the window lays its levels out again).
    WindowPlacement(QWidget& window, std::function<void()> resized);
    WindowPlacement(const WindowPlacement&) = delete;
    WindowPlacement& operator=(const WindowPlacement&) = delete;

    qint32 top() const { return m_top; }
    qint32 left() const { return m_left; }
    qint32 height() const { return m_height; }
    qint32 width() const { return m_width; }
    void setTop(qint32 twips);
    void setLeft(qint32 twips);
    void setHeight(qint32 twips);
    void setWidth(qint32 twips);
    qint32 clientHeight() const { return m_height - borderHeight(); }
    qint32 clientWidth() const { return m_width - borderWidth(); }
    // Window size less client size (title bar and borders), as assumed now.
    qint32 borderHeight() const;
    qint32 borderWidth() const;
    // The frame a window assumes until the window manager has drawn its own (for tests).
    static void assumeFrame(const QMargins& frame);

    // Moves and sizes the window to the twips, wholly onto the screen it
    // belongs to: moved first, shrunk only where that screen is smaller.
    void apply();
    // The free area (pixels) of the screen the window belongs to: the one at
    // its position, else its parent's, else the primary one; empty without any.
    QRect availableArea() const;
    // Widens the window to outerWidth (twips) as far as its screen allows, and
    // never narrows it; the levels are not laid out again. True when it grew.
    bool widen(qint32 outerWidth);
    // True while apply() moves the window: the events that follow are its own.
    bool applying() const { return m_applying; }
    // Re-applies the outer size when the real frame differs from the assumed one; true when it did.
    bool syncFrame();
    // The user moved or sized the window: its twips follow unless they still map to the same pixels.
    void adoptMove(QPoint at);
    void adoptSize(const QRect& outer);

    // True while the window has no stored layout and its height is still to be fitted to the list.
    bool fitPending() const { return m_fitPending; }
    // Fits the height once, and only by growing, to wantedClient plus the border.
    void fitHeight(qint64 wantedClient);

    // The settings file of a list: the host's folder, "Stp/", the host's
    // layout name cut before its first dot, ".STP"; "" when the host names
    // none. folder, when given, gets the folder the file must stay in.
    static QString settingsFile(IHostServices& host, const QString& listCode, QString* folder = nullptr);
    // Takes the stored placement of the list when the request keeps its
    // layout; otherwise, or when nothing usable is stored, the caller's
    // position and the default size. marker is the settings file's first number.
    void restore(const PickerRequest& request, qint16& marker, IHostServices& host, const QString& listCode);
    // Writes the placement to the list's settings file, when it fits the file.
    void keep(qint16 marker, IHostServices& host, const QString& listCode) const;

private:
    void keepWhollyOnScreen();
    void placeByDefault(const PickerRequest& request, qint16& marker);
    // The frame around the window: the real one once shown, else the last one seen.
    QMargins frameMarginsNow() const;

    QWidget& m_window;
    std::function<void()> m_resized;
    qint32 m_top = 0;
    qint32 m_left = 0;
    qint32 m_height = DefaultHeight;
    qint32 m_width = DefaultWidth;
    QMargins m_assumedFrame;
    bool m_fitPending = false;
    // The Height before it was fitted to the rows with the frame assumed; the
    // fit is made again once the real frame is known.
    std::optional<qint32> m_heightBeforeFit;
    bool m_applying = false;
};

} // namespace viVavazuruv
