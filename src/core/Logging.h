#pragma once

#include <QLoggingCategory>

#include <exception>

namespace viVavazuruv {

// Diagnostics a host can switch on; all are off by default. For example
//   QT_LOGGING_RULES="viVavazuruv.*=true"
// shows every statement the component runs, every host call that failed and
// every failure a step passed over.
Q_DECLARE_LOGGING_CATEGORY(lcSql)    // viVavazuruv.sql: statements as they are run
Q_DECLARE_LOGGING_CATEGORY(lcHost)   // viVavazuruv.host: errors that end a request, a host's among them
Q_DECLARE_LOGGING_CATEGORY(lcWindow) // viVavazuruv.window: failures the picker window passed over

// Says in the log that a step failed and the work went on without it.
void logPassedOver(const QLoggingCategory& (*category)(), const char* step, const std::exception_ptr& caught);

} // namespace viVavazuruv
