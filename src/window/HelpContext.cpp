#include "HelpContext.h"

#include <QVariant>
#include <QWidget>

namespace viVavazuruv {

void Set_HelpContextID(QWidget* window, qint16 contextId) {
    if (!window)
        return;
    window->setProperty(kHelpContextProperty, qint32(contextId));
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls)
        control->setProperty(kHelpContextProperty, qint32(0));
}

qint32 HelpContextID(const QWidget* widget) {
    return widget ? widget->property(kHelpContextProperty).toInt() : 0;
}

} // namespace viVavazuruv
