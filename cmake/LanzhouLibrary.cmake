# lanzhou_add_library(<name> [INTERFACE]
#                     [SOURCES <file>...] [PUBLIC <target>...] [PRIVATE <target>...])
#
# One folder, one library. Sources are listed explicitly, relative to the
# folder. Headers are included by their path from the repository root
# ("client/core/session_core.h"), but the library exports only its own
# folder under that path: the build gives each library an include folder of
# its own (<build>/include/<name>) holding a link to its source folder, so a
# target sees the headers of the libraries it links and no others, and a
# wrong arrow fails to compile. Hosts without symbolic links (a Windows
# host) export the repository root instead; the map check
# (scripts/check-map) still guards them.
function(lanzhou_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 _lib "INTERFACE" "" "SOURCES;PUBLIC;PRIVATE")
  file(RELATIVE_PATH _folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})

  if(_lib_INTERFACE)
    add_library(${name} INTERFACE)
    set(_scope INTERFACE)
  else()
    add_library(${name} STATIC ${_lib_SOURCES})
    set(_scope PUBLIC)
    target_link_libraries(${name} PRIVATE lanzhou_warnings)
  endif()

  if(CMAKE_HOST_WIN32)
    target_include_directories(${name} ${_scope} ${PROJECT_SOURCE_DIR})
  else()
    set(_root ${PROJECT_BINARY_DIR}/include/${name})
    get_filename_component(_parent ${_root}/${_folder} DIRECTORY)
    file(MAKE_DIRECTORY ${_parent})
    if(NOT IS_SYMLINK ${_root}/${_folder})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${_root}/${_folder} SYMBOLIC)
    endif()
    target_include_directories(${name} ${_scope} ${_root})
  endif()

  if(_lib_PUBLIC)
    target_link_libraries(${name} ${_scope} ${_lib_PUBLIC})
  endif()
  if(_lib_PRIVATE)
    if(_lib_INTERFACE)
      message(FATAL_ERROR "lanzhou_add_library(${name}): an INTERFACE library has no PRIVATE links")
    endif()
    target_link_libraries(${name} PRIVATE ${_lib_PRIVATE})
  endif()
endfunction()
