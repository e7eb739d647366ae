#include "HelpContext.h"

#include <QVariant>
#include <QWidget>

namespace viVavazuruv {

void Set_HelpContextID(QWidget* window, qint16 contextId) {
    if (!window)
        return;
    window->setProperty(kHelpContextProperty, qint32(contextId));
    // A control without a topic of its own reads 0 already; only one given a
    // topic before is set back, so a new window sets no property per control.
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->dynamicPropertyNames().contains(kHelpContextProperty))
            control->setProperty(kHelpContextProperty, qint32(0));
    }
}

qint32 HelpContextID(const QWidget* widget) {
    return widget ? widget->property(kHelpContextProperty).toInt() : 0;
}

} // namespace viVavazuruv
