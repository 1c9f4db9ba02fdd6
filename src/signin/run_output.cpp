#include "signin/run_output.h"

#include "core/encoding.h"
#include "login/login_flow.h"

namespace tieba {

void RunOutput::log(const std::string& text) const
{
    runLog(ticket_, workLog_, text);
}

void RunOutput::drawBar(long done, long total) const
{
    ticket_.write([&] { progress_.drawBar(static_cast<int>(done), static_cast<int>(total)); });
}

void RunOutput::showSigning(long i, long n) const
{
    setCaption(name_ + gb(" 已签 ") + std::to_string(i) + "/" + std::to_string(n));
}

void RunOutput::showRetrying(long i, long m) const
{
    setCaption(name_ + gb(" 重签 ") + std::to_string(i) + "/" + std::to_string(m));
}

void RunOutput::logRetryHeader() const
{
    log(gb("---签到失败贴吧重签---\r\n"));
}

void RunOutput::logEnd() const
{
    log(name_ + gb("签到结束\r\n"));
}

void RunOutput::setCaption(const std::string& text) const
{
    ticket_.write([&] { progress_.setCaption(text); });
}

} // namespace tieba
