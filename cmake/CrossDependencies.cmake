# Header-only and source packages of the build host, offered to a cross build
# (set as CMAKE_PROJECT_TOP_LEVEL_INCLUDES by the windows-cross preset).
# The sysroot rules of the toolchain file keep the host's /usr/include out of
# the search, because glibc headers must not leak into a Windows build; these
# packages are taken from the host one by one instead:
#   Asio, nlohmann_json: an include folder holding links to their headers only;
#   GTest: GoogleTest built from its Debian source package with the cross
#          compiler (its CMake project defines the GTest:: targets).
include_guard(GLOBAL)

set(_lanzhou_host_include /usr/include)
set(_lanzhou_cross_include ${CMAKE_BINARY_DIR}/host-headers)

# Links `name` (a file or folder of the host's include folder) into the
# cross include folder.
function(_lanzhou_link_host_header name)
  if(NOT EXISTS ${_lanzhou_host_include}/${name})
    message(FATAL_ERROR "Missing on the build host: ${_lanzhou_host_include}/${name}")
  endif()
  file(MAKE_DIRECTORY ${_lanzhou_cross_include})
  if(NOT EXISTS ${_lanzhou_cross_include}/${name})
    file(CREATE_LINK ${_lanzhou_host_include}/${name} ${_lanzhou_cross_include}/${name} SYMBOLIC)
  endif()
endfunction()

_lanzhou_link_host_header(asio.hpp)
_lanzhou_link_host_header(asio)
set(ASIO_INCLUDE_DIR ${_lanzhou_cross_include} CACHE PATH "Standalone Asio headers" FORCE)

set(LANZHOU_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")

macro(lanzhou_cross_provide_dependency method package)
  if("${package}" STREQUAL "GTest")
    if(NOT TARGET GTest::gtest)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
      add_subdirectory(${LANZHOU_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(GTest_FOUND TRUE)
  elseif("${package}" STREQUAL "nlohmann_json")
    if(NOT TARGET nlohmann_json::nlohmann_json)
      _lanzhou_link_host_header(nlohmann)
      add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
      target_include_directories(nlohmann_json::nlohmann_json SYSTEM
                                 INTERFACE ${_lanzhou_cross_include})
    endif()
    set(nlohmann_json_FOUND TRUE)
  endif()
endmacro()

cmake_language(SET_DEPENDENCY_PROVIDER lanzhou_cross_provide_dependency
               SUPPORTED_METHODS FIND_PACKAGE)
