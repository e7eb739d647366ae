#pragma once

#include "CopiedRows.h"

#include <QSqlDatabase>

#include <memory>

namespace viVavazuruv::ado {

// Rows read through Qt's driver (QSqlQuery, forward only), every value as the
// driver converts it: the way for every engine and every statement that no
// engine's own reader takes.
class DriverRows final : public CopiedRows {
public:
    // Runs source on db and copies every row. Throws AutomationError with the
    // driver's message when the statement fails or returns no rows.
    static std::unique_ptr<EngineRows> read(const QString& source, const QSqlDatabase& db);

private:
    using CopiedRows::CopiedRows;
};

} // namespace viVavazuruv::ado
