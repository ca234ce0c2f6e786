# Install rules and CPack: one Debian package with the desktop client, the
# headless client, the reference server and the updater (each when built),
# plus the data an installed client seeds its per-user run directory from.
include(GNUInstallDirs)

# ver.txt holds the installed version as one decimal number, no line break:
# major * 10000 + minor * 100 + patch.
math(EXPR LANZHOU_VERSION_NUMBER
     "${PROJECT_VERSION_MAJOR} * 10000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")
configure_file(${PROJECT_SOURCE_DIR}/data/ver.txt.in ${PROJECT_BINARY_DIR}/data/ver.txt @ONLY)

# Programs. The run-directory code finds the data as ../share/lanzhou from
# the program's bin folder (platform/run_directory.cpp).
set(_lanzhou_programs lanzhou lanzhou-cli lanzhou-server update)
foreach(_program IN LISTS _lanzhou_programs)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_lanzhou_data ${CMAKE_INSTALL_DATADIR}/lanzhou)
install(FILES ${PROJECT_BINARY_DIR}/data/ver.txt DESTINATION ${_lanzhou_data})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ico ${PROJECT_SOURCE_DIR}/data/music
        DESTINATION ${_lanzhou_data} PATTERN README.txt EXCLUDE)

if(TARGET lanzhou AND NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lanzhou.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lanzhou.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
if(TARGET lanzhou-server)
  install(FILES ${PROJECT_SOURCE_DIR}/server/lanzhou-server.example.toml
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Packages: a Debian package on Linux, a ZIP elsewhere.
set(CPACK_PACKAGE_NAME lanzhou)
set(CPACK_PACKAGE_VENDOR "lanzhou")
set(CPACK_PACKAGE_CONTACT "lanzhou maintainers <maintainers@lanzhou.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Client of a subscription stock-alert service")
set(CPACK_PACKAGE_DESCRIPTION
    "Desktop client (lanzhou), headless client (lanzhou-cli), reference server (lanzhou-server) \
and updater of a subscription stock-alert service.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY lanzhou)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME "lanzhou-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The windows draw Chinese text; without a CJK font it shows as boxes.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
else()
  set(CPACK_GENERATOR ZIP)
endif()

include(CPack)
