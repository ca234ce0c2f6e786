# libdeflate: one-shot inflation into a caller's buffer (lanzhou::deflate).
# Given LANZHOU_DEFLATE_SOURCE (the cross build: the library's source as
# Debian ships it, fetched by scripts/lib/windows.sh), its decompressor is
# compiled here with the build's compiler; otherwise the installed header and
# library are used (Debian's libdeflate-dev, or a vcpkg tree). Debian ships no
# CMake package for it.
include_guard(GLOBAL)

set(LANZHOU_DEFLATE_SOURCE "" CACHE PATH "libdeflate sources to compile instead of the installed library")

if(LANZHOU_DEFLATE_SOURCE)
  set(_lib ${LANZHOU_DEFLATE_SOURCE}/lib)
  add_library(lanzhou_deflate STATIC
    ${_lib}/adler32.c ${_lib}/deflate_decompress.c ${_lib}/utils.c ${_lib}/zlib_decompress.c
    ${_lib}/x86/cpu_features.c ${_lib}/arm/cpu_features.c)
  target_include_directories(lanzhou_deflate SYSTEM PUBLIC ${LANZHOU_DEFLATE_SOURCE})
  add_library(lanzhou::deflate ALIAS lanzhou_deflate)
else()
  find_path(LANZHOU_DEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
  find_library(LANZHOU_DEFLATE_LIBRARY NAMES deflate libdeflate deflatestatic REQUIRED)
  add_library(lanzhou::deflate UNKNOWN IMPORTED)
  set_target_properties(lanzhou::deflate PROPERTIES
    IMPORTED_LOCATION "${LANZHOU_DEFLATE_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${LANZHOU_DEFLATE_INCLUDE_DIR}")
endif()
