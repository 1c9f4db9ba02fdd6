# The addresses the program talks to, fixed when it is built. The demo preset points them at
# the simulated forum service on 127.0.0.1.

option(ALLOW_PLAIN_HTTP "Allow a forum or passport address on another host over plain http://" OFF)

# A build folder configured when the built-in addresses were plain http:// still holds them in its
# cache: they move to https:// with the defaults (an address chosen on purpose stays as it is).
foreach(old_default "FORUM_SITE|http://wapp.baidu.com" "PASSPORT_SITE|http://wappass.baidu.com"
                    "THREAD_ADDRESS_PREFIX|http://tieba.baidu.com/p/")
  string(REPLACE "|" ";" old_default "${old_default}")
  list(GET old_default 0 name)
  list(GET old_default 1 address)
  if(NOT ALLOW_PLAIN_HTTP AND "${${name}}" STREQUAL "${address}")
    string(REPLACE "http://" "https://" secure "${address}")
    get_property(help CACHE ${name} PROPERTY HELPSTRING)
    set(${name} "${secure}" CACHE STRING "${help}" FORCE)
    message(STATUS "${name}: the former built-in ${address} is now ${secure}")
  endif()
endforeach()
set(FORUM_SITE "https://wapp.baidu.com" CACHE STRING "Scheme and host of the forum's WAP pages")
set(PASSPORT_SITE "https://wappass.baidu.com" CACHE STRING "Scheme and host of the WAP passport")
set(LOGIN_RETURN_HOST "wapp.baidu.com" CACHE STRING "Host carried back by the verified login form")
# The bump window drops as many characters of a typed thread address as this prefix has.
set(THREAD_ADDRESS_PREFIX "https://tieba.baidu.com/p/" CACHE STRING "A thread's address up to its number")
set(NOTICE_PAGE_URL "https://tieba-signin.sourceforge.io/notice.html" CACHE STRING "Remote notice page")
set(DOWNLOAD_PAGE_URL "https://tieba-signin.sourceforge.io/" CACHE STRING "Download page of new versions")
set(FEEDBACK_URL "https://tieba-signin.sourceforge.io/feedback.html" CACHE STRING "Where suggestions go")

# The hosts of the mobile client's protocol, used by token accounts.
set(CLIENT_API_SITE "https://tiebac.baidu.com" CACHE STRING "Scheme and host of the client API (sign, login)")
set(WEB_API_SITE "https://tieba.baidu.com" CACHE STRING "Scheme and host of the web API (tbs, followed forums)")
set(QR_PASSPORT_SITE "https://passport.baidu.com" CACHE STRING "Scheme and host of the passport's QR login")

include(${CMAKE_CURRENT_LIST_DIR}/PlainHttpCheck.cmake)
tieba_refuse_plain_http()
