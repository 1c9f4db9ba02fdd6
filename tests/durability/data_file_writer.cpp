// The writer the durability tests start and kill: stores cookies and saves the settings in a
// loop, in the folder given, and prints one line after each write has returned.
//
// Usage: data_file_writer FOLDER FIRST COUNT MODE TAG
//   FIRST, COUNT  iteration numbers FIRST .. FIRST+COUNT-1 (COUNT 0: until killed)
//   MODE          "both": per iteration one cookie "<TAG><i % 4>" = "v<i>;" and the settings
//                 (exclusion "吧<i>", account 1 "user<i>" / "pass<i>"); "cookies": only one
//                 cookie "<TAG><i>" = "v<i>;" per iteration, every name new
//   TAG           cookie name prefix
// Output: "ready" once it is in the folder, then "go" is awaited on stdin when MODE is
// "cookies"; after each write "cookie NAME I" or "settings I". Exit status 0 after the last one.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "settings/fake_settings_controls.h"
#include "settings/settings_store.h"
#include "web/cookie_jar.h"

namespace {

// One line straight to the pipe: the parent may kill us right after it.
void say(const std::string& line)
{
    const std::string out = line + "\n";
    if (::write(STDOUT_FILENO, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        std::exit(3);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: data_file_writer FOLDER FIRST COUNT MODE TAG\n";
        return 2;
    }
    if (::chdir(argv[1]) != 0)
        return 2;
    const long first = std::atol(argv[2]);
    const long count = std::atol(argv[3]);
    const std::string mode = argv[4];
    const std::string tag = argv[5];
    say("ready");
    if (mode == "cookies") {
        std::string go;
        if (!std::getline(std::cin, go) || go != "go")
            return 2;
    }

    const std::string path = tieba::dataFilePath();
    tieba::SharedState state;
    tieba::test::FakeSettingsControls controls;
    for (long i = first; count == 0 || i < first + count; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = tag + std::to_string(mode == "both" ? i % 4 : i);
        tieba::storeSetCookies("HTTP/1.1 200 OK\r\nSet-Cookie: " + name + "=v" + n + "; path=/\r\n\r\n", path, "1");
        say("cookie " + name + " " + n);
        if (mode != "both")
            continue;
        state.excludedForums.set({tieba::gb("吧") + n});
        state.accounts.set({tieba::Account{"user" + n, "pass" + n}});
        controls.checked = {i % 2 == 0, true, false, i % 3 == 0};
        tieba::saveDataFile(state, controls);
        say("settings " + n);
    }
    return 0;
}
