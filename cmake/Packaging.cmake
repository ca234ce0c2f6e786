# Install rules and CPack: two Debian packages from the same tree, built by
# component. `lanzhou` carries the desktop client, the headless client, the
# desktop entry and icon and the data an installed client seeds its per-user
# run directory from; `lanzhou-server` carries the reference server. Both
# carry a changelog, a copyright file and a manual page for each program.
# The updater is not installed: a packaged client is updated by the package
# manager.
include(GNUInstallDirs)

# ver.txt holds the installed version as one decimal number, no line break:
# major * 10000 + minor * 100 + patch.
math(EXPR LANZHOU_VERSION_NUMBER
     "${PROJECT_VERSION_MAJOR} * 10000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")
configure_file(${PROJECT_SOURCE_DIR}/data/ver.txt.in ${PROJECT_BINARY_DIR}/data/ver.txt @ONLY)

set(CPACK_PACKAGE_CONTACT "lanzhou maintainers <maintainers@lanzhou.invalid>")
set(LANZHOU_DEB_RELEASE 1)
set(LANZHOU_DEB_VERSION "${PROJECT_VERSION}-${LANZHOU_DEB_RELEASE}")
set(_lanzhou_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_lanzhou_pkg_out ${PROJECT_BINARY_DIR}/packaging)

# component -> Debian package name
set(_lanzhou_package_client lanzhou)
set(_lanzhou_package_server lanzhou-server)

# Programs: component, manual section, one-line summary for the manual page.
# The run-directory code finds the data as ../share/lanzhou from the
# program's bin folder (platform/run_directory.cpp).
set(_lanzhou_programs
    "lanzhou|client|1|desktop client of a subscription stock-alert service"
    "lanzhou-cli|client|1|headless client of a subscription stock-alert service"
    "lanzhou-server|server|8|reference server of a subscription stock-alert service")

find_program(LANZHOU_HELP2MAN help2man)
find_program(LANZHOU_GZIP gzip)
set(_lanzhou_pages)
foreach(_entry IN LISTS _lanzhou_programs)
  string(REPLACE "|" ";" _fields "${_entry}")
  list(GET _fields 0 _program)
  list(GET _fields 1 _component)
  list(GET _fields 2 _section)
  list(GET _fields 3 _summary)
  if(NOT TARGET ${_program})
    continue()
  endif()
  install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${_component})
  # The manual page is made from the program's own --help text, so the two
  # never disagree. Cross builds cannot run the program: no page there.
  if(CMAKE_CROSSCOMPILING OR NOT LANZHOU_HELP2MAN OR NOT LANZHOU_GZIP)
    continue()
  endif()
  set(_page ${_lanzhou_pkg_out}/man/${_program}.${_section}.gz)
  # packaging/PROGRAM.h2m: sections the --help text lacks (help2man --include).
  set(_extra ${_lanzhou_packaging}/${_program}.h2m)
  set(_include)
  if(EXISTS ${_extra})
    set(_include --include=${_extra})
  else()
    set(_extra)
  endif()
  add_custom_command(
    OUTPUT ${_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_lanzhou_pkg_out}/man
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${LANZHOU_HELP2MAN} --no-info --section=${_section}
            --name=${_summary} --version-string=${PROJECT_VERSION} ${_include}
            --output=${_lanzhou_pkg_out}/man/${_program}.${_section} $<TARGET_FILE:${_program}>
    COMMAND ${LANZHOU_GZIP} -9nf ${_lanzhou_pkg_out}/man/${_program}.${_section}
    DEPENDS ${_program} ${_extra}
    COMMENT "Manual page of ${_program}"
    VERBATIM)
  list(APPEND _lanzhou_pages ${_page})
  install(FILES ${_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${_section} COMPONENT ${_component})
endforeach()
if(_lanzhou_pages)
  add_custom_target(lanzhou_manual_pages ALL DEPENDS ${_lanzhou_pages})
endif()

set(_lanzhou_data ${CMAKE_INSTALL_DATADIR}/lanzhou)
install(FILES ${PROJECT_BINARY_DIR}/data/ver.txt DESTINATION ${_lanzhou_data} COMPONENT client)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ico ${PROJECT_SOURCE_DIR}/data/music
        DESTINATION ${_lanzhou_data} COMPONENT client PATTERN README.txt EXCLUDE)

if(TARGET lanzhou AND NOT WIN32)
  install(FILES ${_lanzhou_packaging}/lanzhou.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
  install(FILES ${_lanzhou_packaging}/lanzhou.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT client)
endif()

# Each package's documentation folder: README, copyright, gzipped changelog;
# the server's also the example settings.
foreach(_component client server)
  set(LANZHOU_DEB_PACKAGE ${_lanzhou_package_${_component}})
  set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/${LANZHOU_DEB_PACKAGE})
  set(_changelog ${_lanzhou_pkg_out}/${LANZHOU_DEB_PACKAGE}/changelog.Debian)
  configure_file(${_lanzhou_packaging}/debian/changelog.in ${_changelog} @ONLY)
  if(LANZHOU_GZIP AND NOT WIN32)
    add_custom_command(
      OUTPUT ${_changelog}.gz
      COMMAND ${LANZHOU_GZIP} -9nkf ${_changelog}
      DEPENDS ${_changelog}
      VERBATIM)
    add_custom_target(lanzhou_changelog_${_component} ALL DEPENDS ${_changelog}.gz)
    install(FILES ${_changelog}.gz DESTINATION ${_docdir} COMPONENT ${_component})
  endif()
  install(FILES ${_lanzhou_packaging}/debian/copyright ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${_docdir} COMPONENT ${_component})
  # lintian's overrides, each with its reason.
  install(FILES ${_lanzhou_packaging}/debian/lintian/${LANZHOU_DEB_PACKAGE}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${_component})
endforeach()
if(TARGET lanzhou-server)
  install(FILES ${PROJECT_SOURCE_DIR}/server/lanzhou-server.example.toml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lanzhou-server/examples COMPONENT server)
endif()

# The server as a system service: its unit, its user and state folder (made
# by the maintainer scripts with systemd-sysusers and systemd-tmpfiles) and
# its settings, the example with the database in the state folder.
if(TARGET lanzhou-server AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(_systemd ${_lanzhou_packaging}/systemd)
  install(FILES ${_systemd}/lanzhou-server.service
          DESTINATION lib/systemd/system COMPONENT server)
  install(FILES ${_systemd}/lanzhou-server.sysusers
          DESTINATION lib/sysusers.d RENAME lanzhou-server.conf COMPONENT server)
  install(FILES ${_systemd}/lanzhou-server.tmpfiles
          DESTINATION lib/tmpfiles.d RENAME lanzhou-server.conf COMPONENT server)

  file(READ ${PROJECT_SOURCE_DIR}/server/lanzhou-server.example.toml _settings)
  set(_settings_edits
      "lanzhou-server serve --config lanzhou-server.toml|lanzhou-server serve --config /etc/lanzhou/server.toml"
      "lanzhou-server account list --config lanzhou-server.toml|lanzhou-server account list --config /etc/lanzhou/server.toml"
      "# location = \"lanzhou.db\"|location = \"/var/lib/lanzhou/lanzhou.db\"")
  foreach(_edit IN LISTS _settings_edits)
    string(REPLACE "|" ";" _edit "${_edit}")
    list(GET _edit 0 _from)
    list(GET _edit 1 _to)
    string(FIND "${_settings}" "${_from}" _at)
    if(_at EQUAL -1)
      message(FATAL_ERROR "lanzhou-server.example.toml no longer holds \"${_from}\"")
    endif()
    string(REPLACE "${_from}" "${_to}" _settings "${_settings}")
  endforeach()
  # Written only when it changes, so an unchanged file is not rebuilt.
  file(WRITE ${_lanzhou_pkg_out}/server.toml.new "${_settings}")
  configure_file(${_lanzhou_pkg_out}/server.toml.new ${_lanzhou_pkg_out}/server.toml COPYONLY)
  install(FILES ${_lanzhou_pkg_out}/server.toml
          DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/lanzhou COMPONENT server)
endif()

# Packages: Debian packages on Linux, a ZIP elsewhere.
set(CPACK_PACKAGE_NAME lanzhou)
set(CPACK_PACKAGE_VENDOR "lanzhou")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY lanzhou)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME "lanzhou-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL client server)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${LANZHOU_DEB_RELEASE})
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME ${_lanzhou_package_client})
  set(CPACK_DEBIAN_SERVER_PACKAGE_NAME ${_lanzhou_package_server})
  # The first line is the synopsis; every line stays within 80 columns.
  set(CPACK_DEBIAN_CLIENT_DESCRIPTION
      "client of a subscription stock-alert service
The desktop client (lanzhou) and the headless client (lanzhou-cli) of a
subscription stock-alert service: a member registers, recharges, logs in and
receives the alerts of the stocks they follow.")
  # The maintainer scripts make the service's user and state folder; the
  # package manager keeps the operator's settings on upgrade.
  set(_server_control ${_lanzhou_packaging}/debian/lanzhou-server)
  set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
      ${_server_control}/conffiles ${_server_control}/postinst ${_server_control}/prerm
      ${_server_control}/postrm)
  set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS
      "systemd | systemd-standalone-sysusers | systemd-sysusers, systemd | systemd-standalone-tmpfiles | systemd-tmpfiles")
  set(CPACK_DEBIAN_SERVER_DESCRIPTION
      "reference server of a subscription stock-alert service
The server (lanzhou-server) that members' clients log in to, with the
operator commands that manage its accounts and alerts in a SQLite or
PostgreSQL database.")
  # The windows draw Chinese text; without a CJK font it shows as boxes.
  set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
else()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Client of a subscription stock-alert service")
endif()

include(CPack)
