# Transfers that never end on their own: trickling heads and bodies, and a stop in the middle.
tieba_add_gtest(hostile_transfer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transfer_deadline_test.cpp ${CMAKE_CURRENT_LIST_DIR}/transfer_trickle_server.cpp
  ${PROJECT_SOURCE_DIR}/tests/http/test_servers.cpp
  LIBS web test_support PkgConfig::HTTPLIB)
