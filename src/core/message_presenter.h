#pragma once
#include <string>

#include "core/shared_state.h"

namespace tieba {

// Shows a text in the program's message window and returns once the user has closed it.
// Callable from the GUI thread and from workers (which then block until it is closed).
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const std::string& text) = 0;
};

// The program's way of telling the user something outside the work log: the text becomes
// `messageText` and the message window shows it.
inline void showMessage(SharedState& state, MessagePresenter& presenter, const std::string& text)
{
    state.messageText.set(text);
    presenter.showMessage(text);
}

} // namespace tieba
