#pragma once
#include <stop_token>
#include <string>

#include "core/shared_state.h"

namespace tieba {

// Shows a text in the program's message window and returns once the user has closed it.
// Callable from the GUI thread and from workers (which then block until it is closed).
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const std::string& text) = 0;
    // The same for a worker that may be told to stop meanwhile: it waits no longer once `stop`
    // is raised (the window stays until the user closes it). Presenters that never wait need
    // not tell the two apart.
    virtual void showMessageUntil(const std::string& text, std::stop_token /*stop*/) { showMessage(text); }
};

// The program's way of telling the user something outside the work log: the text becomes
// `messageText` and the message window shows it.
inline void showMessage(SharedState& state, MessagePresenter& presenter, const std::string& text)
{
    state.messageText.set(text);
    presenter.showMessage(text);
}

// The same from a worker, which stops waiting for the window once `stop` is raised.
inline void showMessage(SharedState& state, MessagePresenter& presenter, const std::string& text,
                        std::stop_token stop)
{
    state.messageText.set(text);
    presenter.showMessageUntil(text, std::move(stop));
}

} // namespace tieba
