#pragma once

#include <QString>

#include <ostream>

// Texts in test failures as text, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
