# Deployment data: the two server lines and their shared port. They are
# built into the client as constants, enciphered by the compiler
# (client/core/built_in_lines.h.in). The defaults reach only a server on the
# building machine, which no member can use: a package build
# (LANZHOU_REQUIRE_SERVER_LINES, which the package preset sets) must be given
# all three, and any other build says so when it keeps a default line.
option(LANZHOU_REQUIRE_SERVER_LINES "Refuse to configure unless the server lines are given" OFF)

if(LANZHOU_REQUIRE_SERVER_LINES)
  set(_lanzhou_missing_lines)
  foreach(_variable IN ITEMS LANZHOU_TELECOM_HOST LANZHOU_NETCOM_HOST LANZHOU_PORT)
    if(NOT DEFINED CACHE{${_variable}} OR "$CACHE{${_variable}}" STREQUAL "")
      list(APPEND _lanzhou_missing_lines ${_variable})
    endif()
  endforeach()
  if(_lanzhou_missing_lines)
    list(JOIN _lanzhou_missing_lines ", " _lanzhou_missing_text)
    message(FATAL_ERROR
      "A package needs the service's server lines, built into the client: "
      "${_lanzhou_missing_text} not given. Configure with\n"
      "  -DLANZHOU_TELECOM_HOST=HOST -DLANZHOU_NETCOM_HOST=HOST -DLANZHOU_PORT=PORT\n"
      "(the defaults, 127.0.0.1, would make a client that only reaches this machine).")
  endif()
endif()

set(LANZHOU_TELECOM_HOST "127.0.0.1" CACHE STRING "Host of the telecom server line")
set(LANZHOU_NETCOM_HOST "127.0.0.1" CACHE STRING "Host of the netcom server line")
set(LANZHOU_PORT "8866" CACHE STRING "Port shared by both server lines")
# Whether a line speaks TLS (the client then verifies the server's
# certificate); a plain line sends passwords in clear text.
set(LANZHOU_TELECOM_TLS OFF CACHE BOOL "The telecom server line speaks TLS")
set(LANZHOU_NETCOM_TLS OFF CACHE BOOL "The netcom server line speaks TLS")
# As built into the client: "1" or "0".
foreach(_line IN ITEMS TELECOM NETCOM)
  if(LANZHOU_${_line}_TLS)
    set(LANZHOU_${_line}_TLS_TEXT "1")
  else()
    set(LANZHOU_${_line}_TLS_TEXT "0")
  endif()
endforeach()

if(LANZHOU_TELECOM_HOST STREQUAL "127.0.0.1" OR LANZHOU_NETCOM_HOST STREQUAL "127.0.0.1")
  message(WARNING
    "The client's built-in server lines are still 127.0.0.1 (telecom ${LANZHOU_TELECOM_HOST}, "
    "netcom ${LANZHOU_NETCOM_HOST}, port ${LANZHOU_PORT}): fine for tests, of no use to a "
    "member. Give -DLANZHOU_TELECOM_HOST, -DLANZHOU_NETCOM_HOST and -DLANZHOU_PORT for a build "
    "that members use.")
endif()
