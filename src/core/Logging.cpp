#include "Logging.h"

#include "CaughtError.h"

namespace viVavazuruv {

// Critical only by default: an office never sees these unless it asks.
Q_LOGGING_CATEGORY(lcSql, "viVavazuruv.sql", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcHost, "viVavazuruv.host", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcWindow, "viVavazuruv.window", QtCriticalMsg)

void logPassedOver(const QLoggingCategory& (*category)(), const char* step,
                   const std::exception_ptr& caught) {
    if (!category().isWarningEnabled())
        return;
    const AutomationError error = caughtAsAutomationError(caught);
    qCWarning(category).noquote() << step << "failed and was passed over:" << error.code() << error.message();
}

} // namespace viVavazuruv
