#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QVector>

namespace viVavazuruv {

// An array with the lower bound 0 and an upper bound set by Redim, which
// discards the contents. An index outside 0..UBound raises error 9, so a
// caller outside its contract fails loudly instead of reading a stray value.
template <typename T> class VbArray {
public:
    VbArray() = default;
    explicit VbArray(int upperBound) { Redim(upperBound); }

    // Re-dimensions to 0..upperBound with default values; -1 leaves it empty.
    void Redim(int upperBound) { m_items = QVector<T>(upperBound < 0 ? 0 : upperBound + 1); }
    int UBound() const { return int(m_items.size()) - 1; }
    int Size() const { return int(m_items.size()); }

    T& operator()(int index) {
        check(index);
        return m_items[index];
    }
    const T& operator()(int index) const {
        check(index);
        return m_items.at(index);
    }

private:
    void check(int index) const {
        if (index < 0 || index >= m_items.size())
            throw AutomationError(
                ErrorCode::SubscriptOutOfRange,
                QStringLiteral("Subscript out of range: index %1 of an array with bounds 0 to %2.")
                    .arg(index)
                    .arg(UBound()));
    }

    QVector<T> m_items;
};

} // namespace viVavazuruv
