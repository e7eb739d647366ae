#pragma once

#include <QAccessible>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>

namespace viVavazuruv::test {

// What assistive technology is told while one of these lives: the notices
// of the grids (heard here whether or not a screen reader is on, which Qt's
// own update handler is not on every platform) and every change of the
// focus widget, as a Focus notice about the widget that got it (or, when the
// focus went to nothing, lost it). A notice about a cell names its row and
// column as the table reports them.
class HeardEvents final {
public:
    struct Event {
        QAccessible::Event type = QAccessible::Focus;
        QPointer<QObject> object;
        QAccessible::Role role = QAccessible::NoRole;
        QString name;
        int row = -1;
        int column = -1;
        QAccessible::State changed; // of a state change
    };

    HeardEvents();
    ~HeardEvents();
    HeardEvents(const HeardEvents&) = delete;
    HeardEvents& operator=(const HeardEvents&) = delete;

    // Lets posted notices arrive, then hands over what was heard and starts afresh.
    QList<Event> take();
    // The same, of one type only.
    QList<Event> take(QAccessible::Event type);

private:
    static void record(QAccessibleEvent* event);
    QList<Event> m_events;
    QMetaObject::Connection m_focus;
};

} // namespace viVavazuruv::test
