#pragma once

#include "Export.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace viVavazuruv {

// Error codes carried by AutomationError. They keep the numbers a host of the
// original desktop suite already tests for, so a host can map them unchanged.
namespace ErrorCode {
inline constexpr std::int32_t InvalidProcedureCall = 5;       // bad argument to a call
inline constexpr std::int32_t Overflow = 6;                   // a number too large for its type
inline constexpr std::int32_t SubscriptOutOfRange = 9;        // array index outside its bounds
inline constexpr std::int32_t TypeMismatch = 13;              // text that is not a number where one is needed
inline constexpr std::int32_t ObjectNotSet = 91;              // host object used before the host put it
inline constexpr std::int32_t ItemNotFound = 3265;            // field name not in the recordset
inline constexpr std::int32_t OperationOnClosedObject = 3704; // recordset not open
inline constexpr std::int32_t NoCurrentRecord = 3021;         // BOF or EOF when a field is read
inline constexpr std::int32_t DatabaseError = -2147217900;    // statement failed in the engine
inline constexpr std::int32_t ConnectionError = -2147467259;  // connection missing, closed or refused
inline constexpr std::int32_t HostError = -2147418113;        // a host service failed
inline constexpr std::int32_t ComponentNotFound = -2147221164; // no component registered for a ProgID
} // namespace ErrorCode

// The one error type that reaches a host: every failing host, database or grid
// call inside the component surfaces as this, with a numeric code and a text
// meant for a person. It is the counterpart of an automation error.
class VIVAVAZURUV_EXPORT AutomationError : public std::runtime_error {
public:
    AutomationError(std::int32_t code, const QString& message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}

    std::int32_t code() const noexcept { return m_code; }
    const QString& message() const noexcept { return m_message; }

private:
    std::int32_t m_code;
    QString m_message;
};

} // namespace viVavazuruv
