#include "SaveFailure.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <initializer_list>

namespace viVavazuruv {

namespace {

enum class Cause { Busy, ReadOnly, ConnectionLost, TooSlow, Full, Refused };

// Engines and drivers word the same trouble differently; these are the
// words PostgreSQL, SQLite and Qt's drivers use for each.
Cause causeOf(const QString& message) {
    const auto says = [&](std::initializer_list<const char*> words) {
        for (const char* word : words)
            if (message.contains(QLatin1String(word), Qt::CaseInsensitive))
                return true;
        return false;
    };
    if (says({"lock timeout", "lock_timeout", "could not obtain lock", "deadlock", "database is locked",
              "database table is locked", "could not serialize", "55P03", "40P01", "40001"}))
        return Cause::Busy;
    if (says({"read-only", "readonly", "25006"}))
        return Cause::ReadOnly;
    if (says({"statement timeout", "statement_timeout", "did not answer"}))
        return Cause::TooSlow;
    if (says({"disk is full", "disk full", "no space left", "53100"}))
        return Cause::Full;
    if (says({"connection", "terminating", "server closed", "57P0"}))
        return Cause::ConnectionLost;
    return Cause::Refused;
}

} // namespace

QString SaveFailedMessage(const AutomationError& error, bool nothingSaved) {
    const bool database =
        error.code() == ErrorCode::DatabaseError || error.code() == ErrorCode::ConnectionError;
    if (!database)
        return QCoreApplication::translate("viVavazuruv::wkDatabases_Form", "Your changes to the list were not saved: %1")
            .arg(error.message());
    QString what;
    QString todo = QCoreApplication::translate("SaveFailure", "Try again in a moment.");
    switch (causeOf(error.message())) {
    case Cause::Busy:
        what = QCoreApplication::translate("SaveFailure", "Another workstation is changing this list");
        break;
    case Cause::ReadOnly:
        what = QCoreApplication::translate("SaveFailure",
                                           "The practice's database accepts no changes at the moment");
        todo = QCoreApplication::translate("SaveFailure", "Ask whoever looks after the practice's database.");
        break;
    case Cause::ConnectionLost:
        what =
            QCoreApplication::translate("SaveFailure", "The connection to the practice's database was lost");
        todo = QCoreApplication::translate(
            "SaveFailure",
            "Try again; if it happens again, ask whoever looks after the practice's database.");
        break;
    case Cause::TooSlow:
        what = QCoreApplication::translate("SaveFailure", "The practice's database did not answer in time");
        break;
    case Cause::Full:
        what = QCoreApplication::translate("SaveFailure", "The practice's database has no room left");
        todo = QCoreApplication::translate("SaveFailure", "Ask whoever looks after the practice's database.");
        break;
    case Cause::Refused:
        what = QCoreApplication::translate("SaveFailure", "The practice's database refused the change");
        todo = QCoreApplication::translate(
            "SaveFailure",
            "Try again; if it happens again, ask whoever looks after the practice's database.");
        break;
    }
    return nothingSaved
               ? QCoreApplication::translate("SaveFailure", "%1; nothing was saved. %2").arg(what, todo)
               : QCoreApplication::translate("SaveFailure",
                                             "%1; the changes not yet saved are still in the list. %2")
                     .arg(what, todo);
}

} // namespace viVavazuruv
