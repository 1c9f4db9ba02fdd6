#pragma once
#include <QLineEdit>
#include <functional>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "ui/skinned_window.h"

namespace tieba {

// The window behind "添加账号": a user name "id", a masked password "ps" and "添加". Adding
// runs the slot checks, tells the user why an account was refused and stays open for the
// next one; Enter in "id" goes on to "ps", Enter in "ps" adds.
class AddAccountWindow : public SkinnedDialog {
    Q_OBJECT
public:
    // `accountsChanged` runs after an account was added (the main window shows the names).
    AddAccountWindow(SharedState& state, const Skin& skin, MessagePresenter& messages,
                     std::function<void()> accountsChanged, QWidget* parent = nullptr);

    void addAccount();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SharedState& state_;
    MessagePresenter& messages_;
    std::function<void()> accountsChanged_;
    QLineEdit* id_;
    QLineEdit* password_;
};

} // namespace tieba
