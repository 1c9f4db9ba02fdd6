#pragma once
#include <string>

namespace tieba {

// Shows a text in the program's message window and returns once the user has closed it.
// Callable from the GUI thread and from workers (which then block until it is closed).
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const std::string& text) = 0;
};

} // namespace tieba
