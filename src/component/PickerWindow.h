#pragma once

#include <core/CaughtError.h>
#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/IGridControl.h>
#include <window/LoadedList.h>
#include <window/QtDialogs.h>
#include <window/wkDatabases_Form.h>

#include <QApplication>

#include <memory>

// What every entry point shares: the window of one request and the rule that
// whatever a host throws reaches the caller as AutomationError.
namespace viVavazuruv {

inline std::shared_ptr<IDialogs> dialogsFor(RequestState& state) {
    if (!state.Dialogs)
        state.Dialogs = std::make_shared<QtDialogs>();
    return state.Dialogs;
}

// The one window of a request: loaded on creation from the request, gone
// with this object on every way out, errors included.
class PickerWindow final {
public:
    PickerWindow(RequestState& state, PickerRequest request) {
        make(state, std::move(request));
        m_form->Load();
    }
    // The window of a request whose list was read already (LoadList).
    PickerWindow(RequestState& state, PickerRequest request, LoadedList loaded) {
        make(state, std::move(request));
        m_form->Load(std::move(loaded));
    }
    Q_DISABLE_COPY_MOVE(PickerWindow)

    IGridControl& grid() { return m_form->level(0).grid(); }

    // Shows the window modally until it is unloaded and returns what the user
    // chose (nothing when the window was closed); an error raised inside the
    // window's handlers reaches the caller from here.
    Selection showModal() {
        m_form->exec();
        if (auto error = m_form->takePendingError())
            throw *error;
        return m_form->takeSelection();
    }

private:
    void make(RequestState& state, PickerRequest request) {
        // Modal over whatever window of the host is active.
        m_form = std::make_unique<wkDatabases_Form>(state, std::move(request), dialogsFor(state),
                                                    QApplication::activeWindow());
    }

    std::unique_ptr<wkDatabases_Form> m_form;
};

// Runs an entry point's work; whatever a host throws reaches the caller as AutomationError.
template <typename Body> auto asAutomationErrors(Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        const AutomationError error = caughtAsAutomationError(std::current_exception());
        qCWarning(lcHost).noquote() << "the call ends with error" << error.code() << error.message();
        throw error;
    }
}

} // namespace viVavazuruv
