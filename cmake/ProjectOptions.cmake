# Compile options shared by every target of the project.
add_library(qts_options INTERFACE)
target_compile_options(qts_options INTERFACE
  -Wall -Wextra -Wpedantic
  $<$<BOOL:${QTS_WARNINGS_AS_ERRORS}>:-Werror>)

if(QTS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()


# Fuzz targets: every library is built for libFuzzer's coverage and with the
# address and undefined-behaviour sanitizers; the targets link libFuzzer.
option(QTS_FUZZ "Build the fuzz targets (clang with libFuzzer)" OFF)
if(QTS_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QTS_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
