#pragma once

#include <utility>

namespace viVavazuruv {

// Marks a handler busy while it runs, so that one arriving meanwhile (from
// the nested loop of a message box or file dialog) finds it taken. A guard
// that found the flag already set did not enter and leaves it alone.
class [[nodiscard]] BusyGuard final {
public:
    explicit BusyGuard(bool& busy) : m_busy(busy), m_entered(!std::exchange(busy, true)) {}
    ~BusyGuard() {
        if (m_entered)
            m_busy = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    bool entered() const { return m_entered; }

private:
    bool& m_busy;
    bool m_entered;
};

} // namespace viVavazuruv
