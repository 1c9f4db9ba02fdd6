// The passport's and the home page's answers of any shape.
#include "fuzz/fuzz_targets.h"

#include "login/login_pages.h"
#include "web/text_helpers.h"

namespace tieba::fuzz {

void loginPages(std::string_view input)
{
    const std::string page(input);
    (void)loggedInUserName(page);
    (void)asksForCaptcha(page);
    (void)classifyLoginAnswer(page);
    (void)showsLoggedIn(page);

    const std::string picture = captchaPictureAddress(page);
    require(page.find(picture) != std::string::npos, "a captcha address that is not on the page");
    // A quote byte may hide as the second byte of a character; a quote that is a character may not.
    require(findFirst(picture, "\"") == -1, "a captcha address runs past its quote");

    const HiddenLoginFields fields = hiddenLoginFields(page);
    for (const std::string* field : {&fields.bdstoken, &fields.bdtime, &fields.bdverify}) {
        require(page.find(*field) != std::string::npos, "a hidden field that is not on the page");
        require(findFirst(*field, "\"") == -1, "a hidden field runs past its quote");
    }
    (void)verifiedLoginForm("abcd", fields, "user", "pass", "example.invalid");
}

} // namespace tieba::fuzz
