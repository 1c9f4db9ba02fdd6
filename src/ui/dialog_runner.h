#pragma once
#include <QDialog>

namespace tieba {

// Runs a secondary window modally and returns once it is closed. The windows never call
// exec() themselves but go through this, so tests can answer a dialog without a nested loop.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

// The real one: the dialog's own modal event loop.
class ModalDialogRunner final : public DialogRunner {
public:
    int run(QDialog& dialog) override { return dialog.exec(); }
};

} // namespace tieba
