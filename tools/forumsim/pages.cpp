#include "pages.h"

#include "text_codec.h"

namespace tieba::forumsim {

std::string Pages::frame(const std::string& title, const std::string& body) const
{
    const char* charset = encoding_ == PageEncoding::Gbk ? "gbk" : "utf-8";
    std::string page;
    page.reserve(body.size() + 320);
    page += "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    page += charset;
    page += "\"/><meta name=\"viewport\" content=\"width=device-width\"/><title>";
    page += htmlEscape(title);
    page += "</title></head><body>\n";
    page += body;
    page += "\n</body></html>";
    return page;
}

std::string Pages::home(const std::string& userName) const
{
    std::string body = "<div class=\"logo\">百度贴吧</div>\n";
    if (userName.empty()) {
        body += "<div><a href=\"/passport/\">登录</a> | <a href=\"/m?tn=bdFBW&amp;tab=favorite\">我喜欢的吧</a></div>\n";
    } else {
        body += "<div>" + htmlEscape(userName) + "，你好 | <a href=\"/i?un=" + percentEncode(userName) +
                "\">&gt;&gt;我的i贴吧</a></div>\n";
        body += "<div><a href=\"/m?tn=bdFBW&amp;tab=favorite\">我喜欢的吧</a></div>\n";
    }
    body += "<form action=\"/m\" method=\"get\"><div><input type=\"text\" name=\"kw\"/>"
            "<input type=\"submit\" value=\"进吧\"/></div></form>";
    return frame("百度贴吧", body);
}

std::string Pages::followedVisitor() const
{
    return frame("我喜欢的吧", "<div>您还没有登录，请先<a href=\"/passport/\">登录</a></div>");
}

std::string Pages::followedNone(const std::string& userName) const
{
    return frame("我喜欢的吧", "<div>" + htmlEscape(userName) +
                                   " | <a href=\"/m?tn=bdFBW&amp;tab=post\">发言记录</a></div>\n"
                                   "<div>你暂未关注某个吧，去<a href=\"/\">首页</a>看看吧</div>");
}

std::string Pages::followed(const std::string& userName, const std::vector<FollowedForum>& forums) const
{
    // Nothing with an href may stand between "发言记录" and the forum anchors.
    std::string body = "<div>" + htmlEscape(userName) + "喜欢的吧 | 发言记录</div>\n<div class=\"d\">\n";
    int row = 0;
    for (const FollowedForum& f : forums) {
        body += "<div class=\"i\">" + std::to_string(++row) + ".<a href=\"/m?kw=" +
                encodeNameForLink(f.name, encoding_) + "&amp;lp=1\">" + htmlEscape(f.name) +
                "</a> <span class=\"lv\">等级" + std::to_string(f.level) + "</span> <span class=\"exp\">经验值" +
                std::to_string(f.experience) + "</span></div>\n";
    }
    body += "</div>\n<div><a href=\"/\">返回首页</a></div>";
    return frame("我喜欢的吧", body);
}

std::string Pages::forum(const std::string& name, SignOffer offer, const std::string& tbs,
                         const std::vector<ThreadLink>& threads) const
{
    const std::string link = encodeNameForLink(name, encoding_);
    std::string body = "<div class=\"bc\"><a href=\"/m?kw=" + link + "&amp;lp=1\">" + htmlEscape(name) + "吧</a> ";
    switch (offer) {
    case SignOffer::Visitor: body += "<a href=\"/passport/\">登录</a>"; break;
    case SignOffer::NotLiked: body += "<a href=\"/favolike?kw=" + link + "&amp;tbs=" + tbs + "\">喜欢本吧</a>"; break;
    case SignOffer::Signed: body += "<span class=\"light\">已签到</span>"; break;
    case SignOffer::SignLink: body += "<a href=\"/sign?kw=" + link + "&amp;tbs=" + tbs + "\">签到</a>"; break;
    case SignOffer::Nothing: break;
    }
    body += "</div>\n<div class=\"d\">\n";
    for (const ThreadLink& t : threads)
        body += "<div class=\"i\"><a href=\"/m?kz=" + t.id + "\">" + htmlEscape(t.title) + "</a></div>\n";
    if (threads.empty())
        body += "<div class=\"i\">本吧暂无贴子</div>\n";
    body += "</div>\n<div><a href=\"/\">返回首页</a></div>";
    return frame(name + "吧", body);
}

std::string Pages::signSucceeded(int gain) const
{
    return frame("签到", "<div class=\"bc\">签到成功，经验值上升<span class=\"light\">" + std::to_string(gain) +
                             "</span></div>\n<div><a href=\"/\">返回首页</a></div>");
}

std::string Pages::signAlreadyDone() const
{
    return frame("签到", "<div class=\"bc\">亲，你今天已签到过了</div>\n<div><a href=\"/\">返回首页</a></div>");
}

std::string Pages::signFailed() const
{
    return frame("提示", "<div class=\"bc\">操作失败，请稍后再试</div>\n<div><a href=\"/\">返回首页</a></div>");
}

std::string Pages::signNeedsLogin() const
{
    return frame("提示", "<div class=\"bc\">请先<a href=\"/passport/\">登录</a></div>");
}

std::string Pages::captchaChallenge(const std::string& pictureUrl, const std::string& verify, const std::string& token,
                                    const std::string& time, bool wrongCode) const
{
    std::string body = "<form action=\"/passport/\" method=\"post\">\n"
                       "<div>请输入验证码<img src=\"" +
                       pictureUrl +
                       "\" alt=\"验证码\"/></div>\n"
                       "<div><input type=\"text\" name=\"login_verifycode\" value=\"\"/></div>\n"
                       "<input type=\"hidden\" name=\"login_bdverify\" value=\"" +
                       verify +
                       "\"/>\n"
                       "<input type=\"hidden\" name=\"login_bdstoken\" value=\"" +
                       token +
                       "\"/>\n"
                       "<input type=\"hidden\" name=\"login_bdtime\" value=\"" +
                       time +
                       "\"/>\n"
                       "<div><input type=\"submit\" name=\"aaa\" value=\"提交\"/></div>\n</form>\n";
    if (wrongCode)
        body += "<div class=\"tip\">验证码错误，看不清楚？换一张再试</div>";
    return frame("登录百度帐号", body);
}

std::string Pages::loginBadName() const
{
    return frame("登录百度帐号", "<div class=\"tip\">用户名格式有误</div>");
}

std::string Pages::loginUnknownUser() const
{
    return frame("登录百度帐号", "<div class=\"tip\">该用户名不存在</div>");
}

std::string Pages::loginWrongPassword() const
{
    return frame("登录百度帐号", "<div class=\"tip\">您输入的密码有误</div>");
}

std::string Pages::loginSucceeded(const std::string& base) const
{
    return frame("登录成功", "<div>登录成功，<a href=\"" + base + "/\">进入贴吧</a></div>");
}

std::string Pages::loginForm() const
{
    return frame("登录百度帐号", "<form action=\"/passport/\" method=\"post\"><div>"
                                 "用户名<input type=\"text\" name=\"login_username\"/> "
                                 "密码<input type=\"password\" name=\"login_loginpass\"/> "
                                 "<input type=\"submit\" value=\"登录\"/></div></form>");
}

std::string Pages::thread(const std::string& id, const std::string& title, const ReplyForm* form,
                          const std::vector<std::string>& replies, const std::string& userName) const
{
    std::string body = "<div class=\"bc\"><strong>" + htmlEscape(title) + "</strong></div>\n<div class=\"d\">\n";
    body += "<div class=\"i\">1楼. " + htmlEscape(title) + "</div>\n";
    int floor = 1;
    for (const std::string& reply : replies)
        body += "<div class=\"i\">" + std::to_string(++floor) + "楼. " + htmlEscape(reply) + "</div>\n";
    body += "</div>\n";
    if (form) {
        // The form's fields are what the bumper cuts: the first "action=\"" and
        // "<name>\" value=\"" of the page.
        body += "<form action=\"" + std::string(kReplyAction) +
                "\" method=\"post\"><div>\n"
                "<textarea name=\"co\"></textarea>\n"
                "<input type=\"hidden\" name=\"ti\" value=\"" +
                encodeNameForLink(title, encoding_) +
                "\"/>\n"
                "<input type=\"hidden\" name=\"src\" value=\"1\"/>\n"
                "<input type=\"hidden\" name=\"word\" value=\"" +
                encodeNameForLink(form->forum, encoding_) +
                "\"/>\n"
                "<input type=\"hidden\" name=\"tbs\" value=\"" +
                form->tbs +
                "\"/>\n"
                "<input type=\"hidden\" name=\"fid\" value=\"" +
                form->fid +
                "\"/>\n"
                "<input type=\"hidden\" name=\"z\" value=\"" +
                id +
                "\"/>\n"
                "<input type=\"hidden\" name=\"tn\" value=\"bdWAP\"/>\n"
                "<input type=\"submit\" name=\"sub1\" value=\"回贴\"/>\n"
                "</div></form>\n";
    } else {
        body += "<div class=\"tip\">本贴已锁定</div>\n";
    }
    body += "<div class=\"foot\"><a href=\"/m?kz=" + id + "&amp;pic=1\">插图片</a> | ";
    if (userName.empty())
        body += "<a href=\"/passport/\">登录</a>";
    else
        body += htmlEscape(userName) + " | <a href=\"/i?un=" + percentEncode(userName) + "\">&gt;&gt;我的i贴吧</a>";
    body += " | <a href=\"/\">首页</a></div>";
    return frame(title, body);
}

std::string Pages::threadMissing() const
{
    return frame("提示", "<div class=\"tip\">该贴已被删除</div>");
}

std::string Pages::replySucceeded(const std::string& threadId) const
{
    return frame("提示", "<div class=\"bc\">回贴成功，<a href=\"/m?kz=" + threadId + "\">返回原贴</a></div>");
}

std::string Pages::replyFailed(const std::string& reason) const
{
    return frame("提示", "<div class=\"bc\">发贴失败：" + htmlEscape(reason) + "</div>");
}

std::string Pages::simple(const std::string& title, const std::string& text) const
{
    return frame(title, "<div>" + text + "</div>");
}

} // namespace tieba::forumsim
