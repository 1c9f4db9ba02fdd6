// demo-seed: writes a data file in the current folder that already holds one account, so a
// newcomer trying the program on the demo service can click "一键签到" at once.
//   demo-seed <user name> <password>      (UTF-8)
#include <iostream>

#include "core/encoding.h"
#include "settings/settings_store.h"

namespace {

// Every account box ticked, the shutdown option off.
class SeedControls final : public tieba::SettingsControls {
public:
    std::string exclusionText() const override { return {}; }
    void appendExclusionText(const std::string&) override {}
    bool isChecked(int box) const override { return box != 4; }
    void setChecked(int, bool) override {}
    void setAccountLabel(int, const std::string&) override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: demo-seed <user name> <password>\n";
        return 2;
    }
    tieba::SharedState state;
    SeedControls controls;
    tieba::loadDataFile(state, controls);
    state.accounts.set({tieba::Account{tieba::gb(argv[1]), tieba::gb(argv[2])}});
    tieba::saveDataFile(state, controls);
    return 0;
}
