# The addresses the program talks to, fixed when it is built. The demo preset points them at
# the simulated forum service on 127.0.0.1.
set(FORUM_SITE "http://wapp.baidu.com" CACHE STRING "Scheme and host of the forum's WAP pages")
set(PASSPORT_SITE "http://wappass.baidu.com" CACHE STRING "Scheme and host of the WAP passport")
set(LOGIN_RETURN_HOST "wapp.baidu.com" CACHE STRING "Host carried back by the verified login form")
set(THREAD_ADDRESS_PREFIX "http://tieba.baidu.com/p/" CACHE STRING "A thread's address up to its number")
set(NOTICE_PAGE_URL "https://tieba-signin.sourceforge.io/notice.html" CACHE STRING "Remote notice page")
set(DOWNLOAD_PAGE_URL "https://tieba-signin.sourceforge.io/" CACHE STRING "Download page of new versions")
set(FEEDBACK_URL "https://tieba-signin.sourceforge.io/feedback.html" CACHE STRING "Where suggestions go")

# The hosts of the mobile client's protocol, used by token accounts.
set(CLIENT_API_SITE "https://tiebac.baidu.com" CACHE STRING "Scheme and host of the client API (sign, login)")
set(WEB_API_SITE "https://tieba.baidu.com" CACHE STRING "Scheme and host of the web API (tbs, followed forums)")
set(QR_PASSPORT_SITE "https://passport.baidu.com" CACHE STRING "Scheme and host of the passport's QR login")
