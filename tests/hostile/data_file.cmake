# The data file under attack: floods of cookies, cookies from other hosts, and data files that
# are not what they should be (a pipe, a folder, a link out of the folder, a read-only folder).
tieba_add_gtest(data_file_cookies_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_file_cookies_test.cpp ${PROJECT_SOURCE_DIR}/tests/http/test_servers.cpp
  LIBS web test_support PkgConfig::HTTPLIB)
tieba_add_gtest(data_file_start_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_file_start_test.cpp
  LIBS settings web test_support)
