#include "settings/settings_store.h"

#include <cmath>
#include <cstdlib>

#include "core/encoding.h"
#include "platform/ini_profile.h"
#include "settings/account_slots.h"
#include "settings/pacing_settings.h"
#include "settings/token_slots.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

// A hand-edited count must not make the load read keys for ever.
constexpr long kMaxExcludedForums = 10000;

const std::string kFullWidthSpace = "\xA1\xA1";
const std::string kFullWidthComma = "\xA3\xAC";

// A value no stored value can be: stored values are digits, "-" and "+".
const std::string kAbsent = "\n";

// Decodes one value of the loaded file; a missing key gives `missing` as the decoded value.
std::string readStored(const IniDocument& file, const std::string& section, const std::string& key,
                       const std::string& missing)
{
    const std::string raw = profileString(file, section, key, kAbsent);
    return raw == kAbsent ? missing : decodeStoredValue(raw);
}

void addStored(std::vector<ProfileEdit>& edits, const std::string& section, const std::string& key,
               const std::string& value)
{
    edits.push_back(ProfileEdit{section, key, encodeStoredValue(value)});
}

// Opens what a usable data file needs at start-up: it exists, and only its owner may read it.
// The result is the file's text, or an empty document when it must be left alone (`problem`
// then says why).
IniDocument openDataFile(const std::string& path, std::string& problem)
{
    if (const std::string reason = unusableFileReason(path); !reason.empty()) {
        problem = gb("数据文件 shuju.dat ") + gbFromUtf8(reason) + gb("，本次以默认设置启动，设置不会保存。");
        return IniDocument();
    }
    if (!fileExists(path))
        createEmptyFile(path);
    makeOwnerOnly(path);
    return readProfile(path);
}

// "3" -> 3, "2.9" -> 2, anything that is not a number -> 0.
long countFromText(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || !std::isfinite(value) || value < 1)
        return 0;
    return value > kMaxExcludedForums ? kMaxExcludedForums : static_cast<long>(value);
}

std::string number(long n)
{
    return std::to_string(n);
}

// Calls f for every character: one byte below 0x80, two bytes from a lead byte of 0x80 up.
template <class F>
void forEachCharacter(const std::string& text, F&& f)
{
    for (size_t i = 0; i < text.size();) {
        const size_t width = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
        f(std::string_view(text).substr(i, width));
        i += width;
    }
}

// After a save, each token account's session is in the section of the slot it holds.
void noteSessionSlots(SharedState& state)
{
    state.accounts.with([](AccountList& accounts) {
        for (size_t i = 0; i < accounts.size(); ++i)
            if (isTokenAccount(accounts[i]))
                accounts[i].sessionSlot = static_cast<int>(i + 1);
    });
}

} // namespace

bool flagFromText(const std::string& text)
{
    std::string_view rest = text;
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (std::string_view space : {std::string_view(" "), std::string_view(kFullWidthSpace)}) {
            if (rest.starts_with(space)) {
                rest.remove_prefix(space.size());
                trimmed = true;
            }
            if (rest.ends_with(space)) {
                rest.remove_suffix(space.size());
                trimmed = true;
            }
        }
    }
    return rest != "0";
}

std::string onOffText(bool checked)
{
    return checked ? "1" : "0";
}

TextList parseExclusionText(const std::string& text)
{
    TextList items;
    std::string piece;
    forEachCharacter(text, [&](std::string_view ch) {
        if (ch == " " || ch == kFullWidthSpace)
            return;
        if (ch == kFullWidthComma) {
            items.push_back(piece);
            piece.clear();
        } else {
            piece += ch;
        }
    });
    if (!piece.empty())
        items.push_back(piece);
    return items;
}

std::string loadDataFile(SharedState& state, SettingsControls& controls)
{
    std::string problem;
    const IniDocument file = openDataFile(dataFilePath(), problem);

    const std::string excludedSection = gb("不签");
    const std::string count = readStored(file, excludedSection, gb("不签到的贴吧数"), "0");
    state.excludedForumCount.set(count);
    TextList excluded;
    const long items = countFromText(count);
    for (long n = 1; n <= items; ++n) {
        const std::string item = readStored(file, excludedSection, gb("不签到的贴吧") + number(n), "");
        excluded.push_back(item);
        controls.appendExclusionText(item + kFullWidthComma);
    }
    state.excludedForums.set(excluded);

    TextList checkStates;
    for (int n = 1; n <= 3; ++n)
        checkStates.push_back(readStored(file, gb("选中账号"), gb("选中账号") + number(n), "1"));
    state.accountCheckStates.set(checkStates);

    AccountList accounts;
    for (int slot = 1; slot <= 3; ++slot) {
        const std::string section = gb("账号") + number(slot);
        const std::string id = readStored(file, section, "id", "");
        const std::string password = readStored(file, section, "ps", "");
        if (id.empty())
            break;
        Account account{id, password};
        if (password.empty()) {
            account.sessionCookies = sessionCookiesIn(file, slot);
            account.sessionSlot = account.sessionCookies.empty() ? 0 : slot;
        }
        accounts.push_back(std::move(account));
    }
    state.accounts.set(accounts);

    const std::string shutdown = gb("完成后关机");
    state.shutdownAfterGrab.set(readStored(file, shutdown, shutdown, "0"));
    state.pacing.set(loadPacing(file));

    showAccountLabels(state, [&](int n, const std::string& caption) { controls.setAccountLabel(n, caption); });
    for (int n = 1; n <= 3; ++n)
        controls.setChecked(n, flagFromText(elementAt(checkStates, n)));
    controls.setChecked(4, flagFromText(state.shutdownAfterGrab.get()));
    return problem;
}

std::string saveDataFile(SharedState& state, SettingsControls& controls)
{
    std::vector<ProfileEdit> edits;

    const TextList excluded = state.excludedForums.get();
    const std::string excludedSection = gb("不签");
    state.excludedForumCount.set(number(static_cast<long>(excluded.size())));
    addStored(edits, excludedSection, gb("不签到的贴吧数"), state.excludedForumCount.get());
    for (size_t n = 1; n <= excluded.size(); ++n)
        addStored(edits, excludedSection, gb("不签到的贴吧") + number(static_cast<long>(n)), excluded[n - 1]);

    TextList checkStates;
    for (int n = 1; n <= 3; ++n)
        checkStates.push_back(onOffText(controls.isChecked(n)));
    state.accountCheckStates.set(checkStates);
    state.shutdownAfterGrab.set(onOffText(controls.isChecked(4)));

    for (int n = 1; n <= 3; ++n)
        addStored(edits, gb("选中账号"), gb("选中账号") + number(n), checkStates[static_cast<size_t>(n - 1)]);
    const std::string shutdown = gb("完成后关机");
    addStored(edits, shutdown, shutdown, state.shutdownAfterGrab.get());

    // One copy of the list, so every slot's name is saved with its own password.
    const AccountList accounts = state.accounts.get();
    for (int slot = 1; slot <= 3; ++slot) {
        const std::string section = gb("账号") + number(slot);
        const Account stored = slot <= static_cast<int>(accounts.size()) ? accounts[static_cast<size_t>(slot - 1)]
                                                                         : Account{};
        addStored(edits, section, "id", stored.id);
        addStored(edits, section, "ps", stored.password);
    }
    addSessionCookieEdits(accounts, edits);
    addPacingEdits(state.pacing.get(), edits);
    // One write for the whole save: another instance saving at the same time writes its
    // settings before or after these, never between two keys.
    const ProfileWrite written = writeProfileStrings(dataFilePath(), edits);
    if (written.ok)
        noteSessionSlots(state);
    return written.ok ? std::string() : gbFromUtf8(written.error);
}

std::string applyExclusionText(SharedState& state, SettingsControls& controls)
{
    state.excludedForums.set(parseExclusionText(controls.exclusionText()));
    state.shutdownAfterGrab.set(onOffText(controls.isChecked(4)));
    return saveDataFile(state, controls);
}

} // namespace tieba
