# Hostile notice pages: addresses that are no web pages, quadratic blocks, pictures too big or
# too many; then the same on a main window with a recording browser.
tieba_add_gtest(notice_hostile_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/notice_reading_test.cpp
  LIBS notice test_support PkgConfig::HTTPLIB)
tieba_add_gtest(notice_hostile_ui_tests GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/notice_window_hostile_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/notice/qt_test_environment.cpp
  LIBS ui test_support PkgConfig::HTTPLIB Qt6::Test)
