# Warnings for every target of the project: lanzhou_warnings is linked
# privately by each library and program.
add_library(lanzhou_warnings INTERFACE)
if(MSVC)
  target_compile_options(lanzhou_warnings INTERFACE /W4 /utf-8)
else()
  target_compile_options(lanzhou_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                    -Wnon-virtual-dtor)
endif()
