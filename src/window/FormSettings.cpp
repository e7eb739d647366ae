// Where the window's size and position are kept between uses.
#include "FormTwips.h"
#include "WindowSettings.h"
#include "wkDatabases_Form.h"

#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>

namespace viVavazuruv {

namespace {
constexpr qint16 kMinMarker = 4215;
constexpr qint32 kDefaultHeight = 3255;
constexpr qint32 kDefaultWidth = 4125;
constexpr qint32 kDefaultTop = 1000;
constexpr qint32 kDefaultLeft = 3000;
const QString kNoStoredLayout = QStringLiteral("NO STP");

using twips::wholeTwips;

// The folder every settings file lives in; nothing outside it is read or written.
QString settingsFolder(IHostServices& host) {
    return host.GetHostPath() + QStringLiteral("Stp/");
}
} // namespace

void wkDatabases_Form::Stp_File_Name(QString& result) {
    QString name = host().LayoutFileName(level(0).FrameTag, QString());
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty()) {
        result.clear();
        return;
    }
    result = settingsFolder(host()) + name + QStringLiteral(".STP");
}

void wkDatabases_Form::applyDefaultPlacement() {
    m_state.LayoutMarker = kMinMarker;
    m_top = m_request.WindowTop > 0.0f ? wholeTwips(m_request.WindowTop) : kDefaultTop;
    m_left = m_request.WindowLeft > 0.0f ? wholeTwips(m_request.WindowLeft) : kDefaultLeft;
    m_height = kDefaultHeight;
    m_width = kDefaultWidth;
    applyGeometry();
    Form_Resize();
}

void wkDatabases_Form::Load_Window_Setting() {
    Tag = kNoStoredLayout;
    m_heightBeforeFit.reset();
    if (!m_request.KeepWindowLayout) {
        applyDefaultPlacement();
        return;
    }

    QString path;
    QString folder;
    std::optional<WindowSettings> stored;
    try {
        Stp_File_Name(path);
        if (!path.isEmpty())
            folder = settingsFolder(host());
    } catch (const AutomationError&) {
        logPassedOver(lcWindow, "finding the settings file", std::current_exception());
        applyDefaultPlacement();
        return;
    }
    WindowSettings values;
    values.marker = m_state.LayoutMarker;
    if (!path.isEmpty()) {
        stored = readWindowSettings(path, folder);
        if (!stored) {
            // Missing, unreadable or malformed: the window fits itself to the list instead.
            applyDefaultPlacement();
            return;
        }
        values = *stored;
    }
    m_state.LayoutMarker = values.marker;
    qint32 height = values.height;
    qint32 width = values.width;
    if (m_state.LayoutMarker < kMinMarker) {
        m_state.LayoutMarker = kMinMarker;
        height = kDefaultHeight;
        width = kDefaultWidth;
    }
    if (height < 1 || width < 1) {
        // A window cannot take such a size; as with an unreadable file, the defaults apply.
        applyDefaultPlacement();
        return;
    }
    m_top = values.top < 1 ? wholeTwips(m_request.WindowTop) : values.top;
    m_left = values.left < 1 ? wholeTwips(m_request.WindowLeft) : values.left;
    m_height = height;
    m_width = width;
    applyGeometry();
    Form_Resize();
    Tag.clear();
}

void wkDatabases_Form::Save_Window_Setting() {
    if (!hasLevel(CurrentLevel) || level(CurrentLevel).editing())
        return;
    if (!m_request.KeepWindowLayout || Loading)
        return;
    // While a nested level is open the window's size belongs to that moment, not to the list.
    if (!level(0).grid().Enabled())
        return;
    QString path;
    QString folder;
    try {
        Stp_File_Name(path);
        if (path.isEmpty())
            return;
        folder = settingsFolder(host());
    } catch (const AutomationError&) {
        logPassedOver(lcWindow, "finding the settings file to write", std::current_exception());
        return;
    }
    const auto fits = [](qint32 v) {
        return v >= -32768 && v <= 32767;
    };
    if (!fits(m_height) || !fits(m_width) || !fits(m_top) || !fits(m_left))
        return; // a value the file cannot hold is not written; the old file stays
    writeWindowSettings(path, folder,
                        WindowSettings{m_state.LayoutMarker, qint16(m_height), qint16(m_width), qint16(m_top),
                                       qint16(m_left)});
}

} // namespace viVavazuruv
