#pragma once
#include <array>
#include <string>

#include "settings/settings_store.h"

namespace tieba::test {

// The main window's settings controls as plain values.
class FakeSettingsControls final : public SettingsControls {
public:
    std::string exclusionText() const override { return exclusion; }
    void appendExclusionText(const std::string& text) override { exclusion += text; }
    bool isChecked(int box) const override { return checked.at(static_cast<size_t>(box - 1)); }
    void setChecked(int box, bool value) override { checked.at(static_cast<size_t>(box - 1)) = value; }
    void setAccountLabel(int n, const std::string& caption) override { labels.at(static_cast<size_t>(n - 1)) = caption; }

    std::string exclusion;
    std::array<bool, 4> checked{};
    std::array<std::string, 3> labels;
};

} // namespace tieba::test
