#include "tools/power_off/system_power_off.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#endif

namespace tieba {

void SystemPowerOff::powerOff()
{
#ifdef _WIN32
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    ExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0);
#else
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << false; // not interactive: nobody is there to answer a password prompt
    const QDBusMessage reply = QDBusConnection::systemBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage)
        QProcess::startDetached(QStringLiteral("systemctl"), QStringList{QStringLiteral("poweroff")});
#endif
}

void ReportedPowerOff::powerOff()
{
    std::fputs("tieba-signin: the grab asked to power the computer off; not done for a service on this machine\n",
               stderr);
    std::fflush(stderr);
}

std::unique_ptr<PowerOff> programPowerOff(const Sites& sites)
{
    if (addressIsOnThisMachine(sites.forumSite))
        return std::make_unique<ReportedPowerOff>();
    return std::make_unique<SystemPowerOff>();
}

} // namespace tieba
