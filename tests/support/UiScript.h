#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

namespace viVavazuruv::test {

// Steps a person would take in a modal window, played one after the other
// while the code under test runs its own event loop. A step waits until its
// condition holds; its action may open a nested loop (a nested level, a
// modal wait) in which the following steps go on. After the deadline the
// script gives up, records why, and runs the rescue action (which should
// close the window) so a broken test fails instead of hanging.
class UiScript final : public QObject {
public:
    explicit UiScript(int deadlineMs = 20000);

    // Runs action once ready() holds; ready null means at once.
    UiScript& step(std::function<bool()> ready, std::function<void()> action);
    void setRescue(std::function<void()> rescue) { m_rescue = std::move(rescue); }

    void start();
    bool finished() const { return m_steps.empty(); }
    // What went wrong: steps never reached, actions that threw.
    QStringList failures() const { return m_failures; }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> action;
        int number;
    };
    void tick();

    std::deque<Step> m_steps;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_deadlineMs;
    int m_added = 0;
    QStringList m_failures;
    std::function<void()> m_rescue;
};

} // namespace viVavazuruv::test
