#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "client_state.h"
#include "scenario.h"
#include "text_codec.h"

namespace tieba::forumsim {

struct Answer;
struct Incoming;

// The mobile client's protocol and the passport's QR login, as the simulated service speaks them,
// strictly: every client call must carry a correct `sign`, the client fields, the tokens and the
// fields that call needs, or it is refused. Calls the real service is known to answer get its
// answer shapes and error codes; a malformed call gets error_code "-1" with a message naming
// what was wrong (what the real service answers then is not known). Admin calls under /admin/
// play the phone of a QR login and end sessions. The Router calls route() with the state lock held.
class ClientApi {
public:
    explicit ClientApi(const Scenario& scenario);

    // The answer when the request is one of these calls; nullopt for any other request.
    std::optional<Answer> route(const Incoming& request, const std::string& base);
    void turnDay() { state_.turnDay(); }

private:
    Answer tbs(const Incoming& request);
    Answer forumList(const Incoming& request, bool guide);
    Answer sign(const Incoming& request);
    Answer login(const Incoming& request);
    Answer qrCode(const std::string& base);
    Answer qrPicture(std::string_view path);
    Answer qrPoll(std::string_view query);
    Answer qrLogin(std::string_view query, const std::string& base);
    Answer admin(std::string_view path, std::string_view query);

    // The account a well-formed client call is for; on refusal `refusal` holds the answer to send.
    ClientState::Account* checkedCall(const Incoming& request, const FormFields& fields,
                                      std::initializer_list<std::string_view> needed, long long notLoggedInCode,
                                      std::optional<Answer>& refusal);

    ClientState state_;
};

} // namespace tieba::forumsim
