#pragma once

#include <QCoreApplication>
#include <QString>

namespace viVavazuruv {

// The title of the window's own messages, and of the conflict questions.
inline QString ListMessageTitle() {
    return QCoreApplication::translate("viVavazuruv::wkDatabases_Form", " User Defined Database");
}

} // namespace viVavazuruv
