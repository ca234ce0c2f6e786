# The server lines a build is given: a package build refuses to configure
# without all three, any other build warns while a line is still 127.0.0.1;
# only the package preset asks for them. Whether a line speaks TLS is off
# unless asked for.
# cmake -DWORK_DIR=<scratch folder> -P server_lines_test.cmake
cmake_minimum_required(VERSION 3.25)

set(_project ${CMAKE_CURRENT_LIST_DIR}/server_lines_project)
set(_failures 0)

# configure(<name> <expect success: ON/OFF> <output regex> <regex that must not match or "">
#           <cache arguments...>)
function(configure name succeeds expected unexpected)
  set(_build ${WORK_DIR}/${name})
  file(REMOVE_RECURSE ${_build})
  foreach(_round IN ITEMS first again)  # a second configure of the same folder too
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${_project} -B ${_build} ${ARGN}
                    RESULT_VARIABLE _status OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
    set(_output "${_out}${_err}")
    set(_ok OFF)
    if(_status EQUAL 0)
      set(_ok ON)
    endif()
    if(NOT _ok STREQUAL succeeds OR NOT _output MATCHES "${expected}"
       OR (NOT unexpected STREQUAL "" AND _output MATCHES "${unexpected}"))
      message(SEND_ERROR "${name} (${_round} configure): status ${_status}, output:\n${_output}")
    endif()
  endforeach()
endfunction()

set(_given -DLANZHOU_TELECOM_HOST=tel.example.com -DLANZHOU_NETCOM_HOST=net.example.com
    -DLANZHOU_PORT=9000)

configure(package_without_lines OFF
  "LANZHOU_TELECOM_HOST, LANZHOU_NETCOM_HOST, LANZHOU_PORT not given" ""
  -DLANZHOU_REQUIRE_SERVER_LINES=ON)
configure(package_without_port OFF "LANZHOU_PORT not given" "LANZHOU_TELECOM_HOST,"
  -DLANZHOU_REQUIRE_SERVER_LINES=ON -DLANZHOU_TELECOM_HOST=tel.example.com
  -DLANZHOU_NETCOM_HOST=net.example.com)
configure(package_with_empty_host OFF "LANZHOU_NETCOM_HOST not given" ""
  -DLANZHOU_REQUIRE_SERVER_LINES=ON -DLANZHOU_TELECOM_HOST=tel.example.com
  -DLANZHOU_NETCOM_HOST= -DLANZHOU_PORT=9000)
configure(package_with_lines ON "" "127.0.0.1" -DLANZHOU_REQUIRE_SERVER_LINES=ON ${_given})
configure(default_lines ON "CMake Warning.*still 127.0.0.1" "")
configure(given_lines ON "" "CMake Warning" ${_given})
# Each line speaks TLS only when asked, as the text built into the client.
configure(plain_lines ON "TLS lines: telecom 0, netcom 0" "" ${_given})
configure(telecom_tls ON "TLS lines: telecom 1, netcom 0" "" ${_given} -DLANZHOU_TELECOM_TLS=ON)
configure(both_tls ON "TLS lines: telecom 1, netcom 1" "" ${_given} -DLANZHOU_TELECOM_TLS=yes
  -DLANZHOU_NETCOM_TLS=TRUE)

# Only the package preset asks for the lines.
file(READ ${CMAKE_CURRENT_LIST_DIR}/../../CMakePresets.json _presets)
string(JSON _count LENGTH "${_presets}" configurePresets)
math(EXPR _last "${_count} - 1")
foreach(_index RANGE ${_last})
  string(JSON _name GET "${_presets}" configurePresets ${_index} name)
  string(JSON _required ERROR_VARIABLE _absent GET "${_presets}" configurePresets ${_index}
         cacheVariables LANZHOU_REQUIRE_SERVER_LINES)
  if(_absent)
    set(_required OFF)
  endif()
  if(_name STREQUAL "package" AND NOT _required STREQUAL "ON")
    message(SEND_ERROR "the package preset does not require the server lines")
  elseif(NOT _name STREQUAL "package" AND _required STREQUAL "ON")
    message(SEND_ERROR "preset ${_name} requires the server lines")
  endif()
endforeach()
