#include "HeardEvents.h"

#include <grid/GridAccessible.h>

#include <QApplication>
#include <QWidget>

#include <utility>

namespace viVavazuruv::test {

namespace {
QList<HeardEvents::Event>* g_events = nullptr;

HeardEvents::Event about(QAccessibleInterface* iface) {
    HeardEvents::Event heard;
    if (!iface || !iface->isValid())
        return heard;
    heard.role = iface->role();
    heard.name = iface->text(QAccessible::Name);
    if (QAccessibleTableCellInterface* cell = iface->tableCellInterface()) {
        heard.row = cell->rowIndex();
        heard.column = cell->columnIndex();
    }
    return heard;
}
} // namespace

HeardEvents::HeardEvents() {
    g_events = &m_events;
    grid::gridAccessibility::setListener(&HeardEvents::record);
    // A widget that loses the focus to nothing (clearFocus, as a disabled or
    // hidden widget does) is told about once more, as Qt does.
    m_focus = QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget* before, QWidget* now) {
        QWidget* told = now ? now : before;
        if (!told)
            return;
        Event heard = about(QAccessible::queryAccessibleInterface(told));
        heard.object = told;
        m_events.append(heard);
    });
}

HeardEvents::~HeardEvents() {
    QObject::disconnect(m_focus);
    grid::gridAccessibility::setListener(nullptr);
    g_events = nullptr;
}

void HeardEvents::record(QAccessibleEvent* event) {
    if (!g_events)
        return;
    Event heard = about(event->accessibleInterface());
    heard.type = event->type();
    heard.object = event->object();
    if (heard.type == QAccessible::StateChanged)
        heard.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
    g_events->append(heard);
}

QList<HeardEvents::Event> HeardEvents::take() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    return std::exchange(m_events, {});
}

QList<HeardEvents::Event> HeardEvents::take(QAccessible::Event type) {
    QList<Event> kept = take();
    kept.removeIf([type](const Event& e) { return e.type != type; });
    return kept;
}

} // namespace viVavazuruv::test
