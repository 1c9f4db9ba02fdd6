#include "sim_client.h"

namespace tieba::forumsim::test {

SimClient::SimClient(const ForumSim& sim) : client_("127.0.0.1", sim.port())
{
    client_.set_url_encode(false);
    client_.set_keep_alive(true);
    client_.set_tcp_nodelay(true); // else a POST's body waits for the delayed ACK of its headers
}

httplib::Result SimClient::get(const std::string& target)
{
    httplib::Result result = client_.Get(target.c_str(), httplib::Headers{{"Cookie", cookies_}});
    keep(result);
    return result;
}

httplib::Result SimClient::post(const std::string& target, const std::string& body)
{
    httplib::Result result = client_.Post(target.c_str(), httplib::Headers{{"Cookie", cookies_}}, body,
                                          "application/x-www-form-urlencoded");
    keep(result);
    return result;
}

void SimClient::keep(const httplib::Result& result)
{
    if (!result)
        return;
    const size_t count = result->get_header_value_count("Set-Cookie");
    for (size_t i = 0; i < count; ++i) {
        const std::string line = result->get_header_value("Set-Cookie", i);
        const std::string pair = line.substr(0, line.find(';'));
        const std::string name = pair.substr(0, pair.find('='));
        std::string kept;
        size_t start = 0;
        while (start < cookies_.size()) {
            const size_t end = cookies_.find(';', start);
            const std::string entry = cookies_.substr(start, end - start);
            if (entry.substr(0, entry.find('=')) != name)
                kept += entry + ";";
            start = end == std::string::npos ? cookies_.size() : end + 1;
        }
        cookies_ = kept + pair + ";";
    }
}

std::string cutForward(std::string_view text, std::string_view left, std::string_view right)
{
    const size_t l = text.find(left);
    if (l == std::string_view::npos)
        return {};
    const std::string_view rest = text.substr(l + left.size());
    const size_t r = rest.find(right);
    return r == std::string_view::npos ? std::string() : std::string(rest.substr(0, r));
}

std::string cutBackward(std::string_view text, std::string_view left, std::string_view right)
{
    const size_t r = text.rfind(right);
    if (r == std::string_view::npos)
        return {};
    const std::string_view head = text.substr(0, r);
    const size_t l = head.rfind(left);
    return l == std::string_view::npos ? std::string() : std::string(head.substr(l + left.size()));
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

Scenario smallScenario()
{
    Scenario s;
    AccountSpec alice;
    alice.name = "alice";
    alice.password = "pw1";
    ForumSpec forum;
    forum.name = "测试";
    forum.level = 7;
    forum.experience = 1234;
    alice.forums.push_back(forum);
    s.accounts.push_back(alice);
    return s;
}

} // namespace tieba::forumsim::test
