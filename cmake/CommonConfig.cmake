# Compile settings every target of the project shares: link tieba_common.
add_library(tieba_common INTERFACE)
target_compile_features(tieba_common INTERFACE cxx_std_20)
target_compile_options(tieba_common INTERFACE -Wall -Wextra -finput-charset=UTF-8)
if(TIEBA_WERROR)
  target_compile_options(tieba_common INTERFACE -Werror)
endif()
target_compile_definitions(tieba_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_FORCE_ASSERTS)
target_include_directories(tieba_common INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Sanitizer builds: chosen by the presets through TIEBA_SANITIZE (address;undefined or thread).
set(TIEBA_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address;undefined or thread")
if(TIEBA_SANITIZE)
  string(REPLACE ";" "," _san "${TIEBA_SANITIZE}")
  target_compile_options(tieba_common INTERFACE -fsanitize=${_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tieba_common INTERFACE -fsanitize=${_san})
endif()
