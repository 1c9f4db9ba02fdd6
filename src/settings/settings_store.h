#pragma once
#include <string>

#include "core/shared_state.h"

namespace tieba {

// The main window's controls that show the stored settings; the window implements this on
// the GUI thread, tests use a plain fake.
class SettingsControls {
public:
    virtual ~SettingsControls() = default;
    virtual std::string exclusionText() const = 0;             // "编辑框2"
    virtual void appendExclusionText(const std::string& text) = 0;
    virtual bool isChecked(int box) const = 0;                  // "选择框1".."选择框4"
    virtual void setChecked(int box, bool checked) = 0;
    virtual void setAccountLabel(int n, const std::string& caption) = 0; // "标签1".."标签3"
};

// A flag text meets a check box: on unless it is "0" once spaces of both widths are trimmed.
bool flagFromText(const std::string& text);
// A check box's state as a flag text: "1" or "0".
std::string onOffText(bool checked);

// Loads the data file (creating it when absent) into the shared state and the controls, and
// leaves it readable by its owner only. A data file that is not a regular file in its folder
// is left untouched and the settings start from their defaults; the result then says so, for
// the message window. Empty when the load went as usual.
std::string loadDataFile(SharedState& state, SettingsControls& controls);
// Writes the settings, the check boxes and the account slots to the data file, in one write.
// Empty on success, else why the file could not be written (nothing in it is lost then).
std::string saveDataFile(SharedState& state, SettingsControls& controls);
// The "保存" button: parses the exclusion box into the exclusion list, takes the shutdown
// option, then saves; the save's result.
std::string applyExclusionText(SharedState& state, SettingsControls& controls);

// Splits an exclusion text: spaces of both widths removed, pieces between full-width commas.
TextList parseExclusionText(const std::string& text);

} // namespace tieba
