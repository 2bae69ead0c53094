# Installation layout and the Debian package.
#
#   <prefix>/bin/velmora-crypt
#   <prefix>/bin/velmora                 -> ../lib/velmora/velmora (symbolic link)
#   <prefix>/lib/velmora/velmora         the window program
#   <prefix>/lib/velmora/Info.txt        beside the real program file, where
#                                        the Info menu looks for it (the
#                                        program's own folder, links resolved)
#   <prefix>/share/applications/velmora.desktop
#   <prefix>/share/icons/hicolor/32x32/apps/velmora.png
#
#   cmake --install <build> --prefix <dir>
#   cpack --config <build>/CPackConfig.cmake   -> velmora_<version>_<arch>.deb

include(GNUInstallDirs)

set(VELMORA_INSTALL_PROGRAM_DIR "lib/velmora" CACHE STRING
  "Folder under the prefix for the window program and the files it reads beside itself")
set(VELMORA_PACKAGE_MAINTAINER "Velmora <velmora@localhost>" CACHE STRING
  "Maintainer field of the Debian package")

foreach(_velmora_dir CMAKE_INSTALL_BINDIR VELMORA_INSTALL_PROGRAM_DIR)
  if(IS_ABSOLUTE "${${_velmora_dir}}")
    message(FATAL_ERROR "${_velmora_dir} must be relative to the prefix, not ${${_velmora_dir}}")
  endif()
endforeach()

install(TARGETS velmora-crypt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET velmora)
  install(TARGETS velmora RUNTIME DESTINATION ${VELMORA_INSTALL_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/Info.txt DESTINATION ${VELMORA_INSTALL_PROGRAM_DIR})

  # The command users type: a relative link, so the tree can be moved and
  # packaged as it is.
  file(RELATIVE_PATH _velmora_link_target
    "/${CMAKE_INSTALL_BINDIR}" "/${VELMORA_INSTALL_PROGRAM_DIR}/velmora")
  install(CODE "
    set(_velmora_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velmora\")
    message(STATUS \"Installing: \${_velmora_link} -> ${_velmora_link_target}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${_velmora_link}\")
    file(CREATE_LINK \"${_velmora_link_target}\" \"\${_velmora_link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_velmora_link}\")
  ")

  configure_file(${PROJECT_SOURCE_DIR}/packaging/velmora.desktop.in
    ${PROJECT_BINARY_DIR}/packaging/velmora.desktop @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/velmora.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # The desktop icon: the window's key icon, written as PNG at build time.
  add_executable(velmora-icon-png ${PROJECT_SOURCE_DIR}/packaging/icon_png.cpp)
  target_link_libraries(velmora-icon-png PRIVATE Qt6::Gui)
  velmora_warnings(velmora-icon-png)
  set(_velmora_icon_png ${PROJECT_BINARY_DIR}/packaging/velmora.png)
  add_custom_command(OUTPUT ${_velmora_icon_png}
    COMMAND velmora-icon-png ${PROJECT_SOURCE_DIR}/resources/key.ico ${_velmora_icon_png} 32
    DEPENDS velmora-icon-png ${PROJECT_SOURCE_DIR}/resources/key.ico
    COMMENT "Skriver ikonen velmora.png"
    VERBATIM)
  add_custom_target(velmora-desktop-icon ALL DEPENDS ${_velmora_icon_png})
  install(FILES ${_velmora_icon_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
endif()

# --- The Debian package ------------------------------------------------------

find_program(VELMORA_DPKG dpkg)
if(VELMORA_DPKG)
  execute_process(COMMAND ${VELMORA_DPKG} --print-architecture
    OUTPUT_VARIABLE _velmora_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _velmora_dpkg_result)
endif()
if(NOT _velmora_deb_arch OR _velmora_dpkg_result)
  # Debian's names for the processors this is likely to be built on.
  string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" _velmora_cpu)
  if(_velmora_cpu MATCHES "^(x86_64|amd64)$")
    set(_velmora_deb_arch amd64)
  elseif(_velmora_cpu MATCHES "^(aarch64|arm64)$")
    set(_velmora_deb_arch arm64)
  elseif(_velmora_cpu MATCHES "^i.86$")
    set(_velmora_deb_arch i386)
  else()
    set(_velmora_deb_arch ${_velmora_cpu})
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "${VELMORA_PRODUCT_NAME}")
set(CPACK_PACKAGE_VERSION "${VELMORA_VERSION_TEXT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VELMORA_PRODUCT_NAME} - kryptering av e-posttext med lösenord")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME "velmora_${VELMORA_VERSION_TEXT}_${_velmora_deb_arch}.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${_velmora_deb_arch})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"${VELMORA_PRODUCT_NAME} gör om texten i ett e-postbrev till en kod som bara den
som känner till lösenordet kan läsa, och tillbaka igen. Avsändare och
mottagare delar lösenordet; samma knapp krypterar och dekrypterar.
.
Paketet innehåller fönsterprogrammet velmora och kommandoradsverktyget
velmora-crypt, som gör samma sak i skript och rörledningar.")
# Declared by hand rather than computed, so the package does not depend on
# which tools the build machine has: the C and C++ runtimes at the symbol
# versions the programs use (glibc 2.34, GLIBCXX_3.4.29 of GCC 11), the Qt 6
# modules the window links (the xcb platform plugin is in libqt6gui6), the
# fonts the window is drawn with, and xdg-open for the Info menu.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
if(TARGET velmora)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
    ", libqt6core6 (>= 6.4.0), libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), fonts-liberation, xdg-utils")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
