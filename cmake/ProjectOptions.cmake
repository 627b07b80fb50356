# Compile options shared by every target of the project.
add_library(qts_options INTERFACE)
target_compile_options(qts_options INTERFACE
  -Wall -Wextra -Wpedantic
  $<$<BOOL:${QTS_WARNINGS_AS_ERRORS}>:-Werror>)

if(QTS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

