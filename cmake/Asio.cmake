# Standalone Asio (header-only) as the interface target lanzhou_asio.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(lanzhou_asio INTERFACE)
target_include_directories(lanzhou_asio SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
# Asio picks aligned_alloc or malloc by what the translation unit included
# first; fixing the choice keeps allocation and release in step everywhere.
target_compile_definitions(lanzhou_asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED
                                                  ASIO_DISABLE_STD_ALIGNED_ALLOC)
target_link_libraries(lanzhou_asio INTERFACE Threads::Threads)
if(WIN32)
  target_link_libraries(lanzhou_asio INTERFACE ws2_32 mswsock)
  target_compile_definitions(lanzhou_asio INTERFACE _WIN32_WINNT=0x0A00)
endif()
