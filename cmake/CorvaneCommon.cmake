# Settings every target shares: the language level, the warnings and Qt's strictness defines.
add_library(corvane_common INTERFACE)
target_compile_features(corvane_common INTERFACE cxx_std_20)
target_compile_options(corvane_common INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
target_compile_definitions(corvane_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS)
if(CORVANE_WERROR)
  target_compile_options(corvane_common INTERFACE -Werror)
  target_compile_definitions(corvane_common INTERFACE _GLIBCXX_ASSERTIONS)
endif()

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

# AddressSanitizer and UndefinedBehaviorSanitizer for the whole tree (CI runs every test once so).
option(CORVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CORVANE_SANITIZE)
  target_compile_options(corvane_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(corvane_common INTERFACE -fsanitize=address,undefined)
endif()
