#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>

#include <exception>

namespace viVavazuruv {

// Whatever was thrown, as the automation error a host receives. A host may
// throw anything from its services; none of it may end the host's process or
// reach it as anything but AutomationError.
inline AutomationError caughtAsAutomationError(const std::exception_ptr& caught) {
    try {
        std::rethrow_exception(caught);
    } catch (const AutomationError& error) {
        return error;
    } catch (const std::exception& error) {
        return AutomationError(ErrorCode::HostError, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return AutomationError(ErrorCode::HostError,
                               QCoreApplication::translate(
                                   "CaughtError", "The host raised an error that carries no description."));
    }
}

} // namespace viVavazuruv
