#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QString>
#include <QtGlobal>

namespace viVavazuruv::grid {

[[noreturn]] inline void invalidCall(const QString& message) {
    throw AutomationError(ErrorCode::InvalidProcedureCall, message);
}

// Marks a programmatic call: nothing it causes (scrolling, an editor closing)
// reaches the sink.
class ApiScope {
public:
    explicit ApiScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~ApiScope() { --m_depth; }
    Q_DISABLE_COPY_MOVE(ApiScope)

private:
    int& m_depth;
};

} // namespace viVavazuruv::grid
