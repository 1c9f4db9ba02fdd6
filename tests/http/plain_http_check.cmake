# Run by CTest with cmake -P and -DSOURCE_DIR=<project>: which addresses the configuration takes
# for plain http:// to another host, and that the site settings stop a configuration on them.
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/cmake/PlainHttpCheck.cmake)

set(failures "")

# address | refused
set(addresses
  "https://wapp.baidu.com|FALSE"
  "HTTPS://wappass.baidu.com|FALSE"
  "http://wapp.baidu.com|TRUE"
  "HTTP://WAPPASS.BAIDU.COM|TRUE"
  "http://wapp.baidu.com:80/m|TRUE"
  "http://127.0.0.1:18080|FALSE"
  "http://127.9.8.7|FALSE"
  "http://localhost:8080/m|FALSE"
  "http://[::1]:18080|FALSE"
  "http://127.0.0.1.example.com|TRUE"
  "http://localhost.example.com|TRUE"
  "http://127.0.0.1@example.com/|TRUE"
  "http://example.com/127.0.0.1|TRUE"
  "http://[::2]|TRUE")
foreach(row ${addresses})
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 address)
  list(GET row 1 expected)
  tieba_is_plain_remote_http(refused "${address}")
  if(NOT refused STREQUAL expected)
    string(APPEND failures "  ${address}: refused is ${refused}, expected ${expected}\n")
  endif()
endforeach()

# The site settings as a configuration reads them, each in a cmake of its own:
# -D settings | succeeds | what the refusal names
set(configurations
  "|TRUE|"
  "-DFORUM_SITE=http://wapp.example.com|FALSE|FORUM_SITE"
  "-DPASSPORT_SITE=http://wappass.example.com|FALSE|PASSPORT_SITE"
  "-DFORUM_SITE=http://wapp.example.com,-DALLOW_PLAIN_HTTP=ON|TRUE|"
  "-DFORUM_SITE=http://127.0.0.1:18080,-DPASSPORT_SITE=http://127.0.0.1:18080|TRUE|"
  "-DFORUM_SITE=http://wapp.baidu.com|TRUE|")
foreach(row ${configurations})
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 settings)
  list(GET fields 1 succeeds)
  list(GET fields 2 named)
  string(REPLACE "," ";" settings "${settings}")
  execute_process(COMMAND ${CMAKE_COMMAND} ${settings} -P ${SOURCE_DIR}/cmake/Sites.cmake
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(code EQUAL 0)
    set(passed TRUE)
  else()
    set(passed FALSE)
  endif()
  if(NOT passed STREQUAL succeeds)
    string(APPEND failures "  ${settings}: succeeded is ${passed}, expected ${succeeds}\n${err}\n")
  elseif(named AND NOT err MATCHES "${named} is \"http://")
    string(APPEND failures "  ${settings}: the refusal does not name ${named}:\n${err}\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "Plain http:// check:\n${failures}")
endif()
