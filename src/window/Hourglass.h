#pragma once

#include <QApplication>
#include <QCursor>

namespace viVavazuruv {

// Shows the hourglass while it lives; every way out of a long command,
// errors included, gives the pointer back.
class Hourglass final {
public:
    Hourglass() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(Hourglass)
};

} // namespace viVavazuruv
