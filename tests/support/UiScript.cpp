#include "UiScript.h"

#include <exception>
#include <memory>

namespace viVavazuruv::test {

UiScript::UiScript(int deadlineMs) : m_deadlineMs(deadlineMs) {
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

UiScript& UiScript::step(std::function<bool()> ready, std::function<void()> action) {
    m_steps.push_back({std::move(ready), std::move(action), ++m_added});
    return *this;
}

void UiScript::start() {
    m_clock.start();
    m_timer.start();
}

void UiScript::tick() {
    if (m_steps.empty()) {
        m_timer.stop();
        return;
    }
    if (m_clock.elapsed() > m_deadlineMs) {
        for (const Step& s : m_steps)
            m_failures << QStringLiteral("never ran: step %1").arg(s.number);
        m_steps.clear();
        m_timer.stop();
        if (m_rescue)
            m_rescue();
        return;
    }
    if (m_steps.front().ready && !m_steps.front().ready())
        return;
    // Taken off before it runs, and run from a timer of its own: Qt does not
    // fire a timer again while its handler is still running, and the action
    // may open the nested loop in which the next steps must be played.
    auto current = std::make_shared<Step>(std::move(m_steps.front()));
    m_steps.pop_front();
    QTimer::singleShot(0, this, [this, current] {
        try {
            current->action();
        } catch (const std::exception& e) {
            m_failures << QStringLiteral("step %1 threw: %2")
                              .arg(current->number)
                              .arg(QString::fromLocal8Bit(e.what()));
        }
    });
}

} // namespace viVavazuruv::test
