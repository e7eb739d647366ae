#pragma once

#include <QSqlDatabase>
#include <QString>

namespace viVavazuruv::ado {

// The host's connection as the component uses it: statements without records.
// It borrows the QSqlDatabase the host lends and never opens, closes, adds or
// removes it.
class Connection final {
public:
    explicit Connection(QSqlDatabase database) : m_database(std::move(database)) {}

    // Runs commandText. Options must include adCmdText; adExecuteNoRecords
    // (command text plus no records, 129) is what the component passes.
    // recordsAffected, when given, receives the count the engine reports.
    // Throws AutomationError with the driver's message when the statement fails
    // or the connection is not open.
    void Execute(const QString& commandText, qint32* recordsAffected = nullptr, qint32 options = 129) const;

    const QSqlDatabase& database() const { return m_database; }

private:
    QSqlDatabase m_database;
};

// Throws AutomationError when db is not an open, valid connection.
void requireOpen(const QSqlDatabase& db);

} // namespace viVavazuruv::ado
