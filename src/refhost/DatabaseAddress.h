#pragma once

#include <viVavazuruv/ReferenceHost.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace viVavazuruv::refhost {

// What a database address names, decoded and checked.
struct DatabaseAddress {
    ReferenceHost::Engine engine = ReferenceHost::Engine::SQLite;
    QString path; // SQLite file
    // libpq's own keywords and values as the address gives them (host lists,
    // service, sslmode, ...), checked by libpq, with the host's defaults for
    // the limits it leaves unset. What is missing libpq takes from the PG*
    // variables, the service file and ~/.pgpass when it connects.
    QList<std::pair<QByteArray, QByteArray>> parameters;
    QString password;               // only to keep it out of messages
    bool passwordInAddress = false; // visible to every local user on a command line
    // The host's own settings, which libpq does not know; set inside each
    // transaction, never on the session, so a pooled server connection
    // another client used a moment ago gets them too.
    QString schema;
    int statementTimeoutMs = 10000;
    // Below the statement limit, so a wait for another session's lock ends as
    // one and is reported as one.
    int lockTimeoutMs = 5000;
    QString description; // without the password
    // Opened to read only (ReferenceHost::Tables::ReadOnly): nothing is made,
    // switched or written, so a copy on read-only media or a reader's role works.
    bool readOnly = false;
};

// Parses sqlite:PATH, or for PostgreSQL any connection URI or keyword/value
// string libpq takes, plus the host's settings schema, statement_timeout and
// lock_timeout (as URI query items or keywords); raises ConnectionError
// naming what is wrong, never the password.
DatabaseAddress parseDatabaseAddress(const QString& url);

// A driver's message with every copy of the password taken out.
QString withoutPassword(QString text, const QString& password);

} // namespace viVavazuruv::refhost
