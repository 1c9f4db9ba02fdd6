# The password and the session cookies travel to the forum and passport addresses: the
# configuration refuses plain http:// to any host but this machine (the simulated service runs on
# loopback), unless ALLOW_PLAIN_HTTP is ON.

# Sets <out> to TRUE when <address> is plain http:// to a host other than this machine.
function(tieba_is_plain_remote_http out address)
  string(TOLOWER "${address}" lowered)
  set(plain FALSE)
  if(lowered MATCHES "^http://([^/?#]*)")
    # A user part ("127.0.0.1@host") names no host: what follows its "@" does.
    string(REGEX REPLACE "^.*@" "" authority "${CMAKE_MATCH_1}")
    if(authority MATCHES "^(\\[[^]]*\\])")
      set(host "${CMAKE_MATCH_1}")
    else()
      string(REGEX REPLACE ":.*$" "" host "${authority}")
    endif()
    if(NOT (host STREQUAL "localhost" OR host STREQUAL "[::1]"
            OR host MATCHES "^127\\.[0-9]+\\.[0-9]+\\.[0-9]+$"))
      set(plain TRUE)
    endif()
  endif()
  set(${out} ${plain} PARENT_SCOPE)
endfunction()

# Stops the configuration when an address that carries a password or a session token (the forum,
# the passport, the client and web APIs, the QR passport) is plain http:// to another host.
function(tieba_refuse_plain_http)
  if(ALLOW_PLAIN_HTTP)
    return()
  endif()
  foreach(name FORUM_SITE PASSPORT_SITE CLIENT_API_SITE WEB_API_SITE QR_PASSPORT_SITE)
    tieba_is_plain_remote_http(plain "${${name}}")
    if(plain)
      message(FATAL_ERROR "${name} is \"${${name}}\": passwords, session cookies or tokens would travel "
        "unencrypted. Give an https:// address, or configure with -DALLOW_PLAIN_HTTP=ON to allow it.")
    endif()
  endforeach()
endfunction()
