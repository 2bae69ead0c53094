# Installation layout and the Debian package.
#
#   <prefix>/bin/velmora-crypt
#   <prefix>/share/bash-completion/completions/velmora-crypt
#   <prefix>/share/zsh/vendor-completions/_velmora-crypt
#   <prefix>/bin/velmora                 -> ../lib/velmora/velmora (symbolic link)
#   <prefix>/lib/velmora/velmora         the window program
#   <prefix>/lib/velmora/Info.txt        beside the real program file, where
#                                        the Info menu looks for it (the
#                                        program's own folder, links resolved)
#   <prefix>/share/applications/velmora.desktop
#   <prefix>/share/icons/hicolor/NxN/apps/velmora.png   N = 16 ... 256
#   <prefix>/share/metainfo/<id>.metainfo.xml   AppStream
#   <prefix>/share/man/man1/*.1.gz       manuals, Swedish; English under man/en
#   <prefix>/share/doc/velmora/{copyright,changelog.gz}
#
#   cmake --install <build> --prefix <dir>
#   cpack --config <build>/CPackConfig.cmake   -> velmora_<version>_<arch>.deb

include(GNUInstallDirs)

set(VELMORA_INSTALL_PROGRAM_DIR "lib/velmora" CACHE STRING
  "Folder under the prefix for the window program and the files it reads beside itself")
# Whoever builds a package to hand out sets these to their own address and
# the project's web address; the defaults are reserved example names.
set(VELMORA_PACKAGE_MAINTAINER "Velmora developers <velmora-maintainers@example.org>" CACHE STRING
  "Maintainer field of the Debian package and its changelog: \"Name <address>\"")
set(VELMORA_PROJECT_URL "https://example.org/velmora" CACHE STRING
  "Project web address; the AppStream metadata links it and the screenshot docs/velmora-start.png under it")
# The AppStream component id, reverse-DNS of the project's address. Kept
# apart from the cache above: changing it later makes it another component.
set(VELMORA_APPSTREAM_ID "org.example.velmora")
# The date of this release, for the Debian changelog (RFC 5322).
set(VELMORA_RELEASE_DATE "Mon, 07 Dec 2026 00:00:00 +0000")

foreach(_velmora_dir CMAKE_INSTALL_BINDIR VELMORA_INSTALL_PROGRAM_DIR)
  if(IS_ABSOLUTE "${${_velmora_dir}}")
    message(FATAL_ERROR "${_velmora_dir} must be relative to the prefix, not ${${_velmora_dir}}")
  endif()
endforeach()

install(TARGETS velmora-crypt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Shell completion, where bash-completion and zsh look for a command's own.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/velmora-crypt.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME velmora-crypt)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/_velmora-crypt
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)

# Files Debian wants compressed with gzip -9n (no name, no time stamp, so
# the same input gives the same bytes).
find_program(VELMORA_GZIP gzip REQUIRED)
function(velmora_gzip source output)
  get_filename_component(_dir ${output} DIRECTORY)
  string(REGEX REPLACE "\\.gz$" "" _plain ${output})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${_plain}
    COMMAND ${VELMORA_GZIP} -9nf ${_plain}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(_velmora_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velmora)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${_velmora_doc_dir})
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
# A native package (no Debian revision): its changelog is changelog.gz.
velmora_gzip(${PROJECT_BINARY_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/packaging/doc/changelog.gz)
set(_velmora_gzipped ${PROJECT_BINARY_DIR}/packaging/doc/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/doc/changelog.gz DESTINATION ${_velmora_doc_dir})

# The manuals: Swedish, like the programs, where man looks by default;
# English under the en locale.
set(_velmora_manuals velmora-crypt)
if(TARGET velmora)
  list(APPEND _velmora_manuals velmora)
endif()
foreach(_velmora_manual IN LISTS _velmora_manuals)
  foreach(_velmora_lang_dir "" "en/")
    set(_velmora_man ${PROJECT_BINARY_DIR}/packaging/man-source/${_velmora_lang_dir}${_velmora_manual}.1)
    configure_file(${PROJECT_SOURCE_DIR}/man/${_velmora_lang_dir}${_velmora_manual}.1.in ${_velmora_man} @ONLY)
    set(_velmora_man_gz ${PROJECT_BINARY_DIR}/packaging/man/${_velmora_lang_dir}man1/${_velmora_manual}.1.gz)
    velmora_gzip(${_velmora_man} ${_velmora_man_gz})
    list(APPEND _velmora_gzipped ${_velmora_man_gz})
    install(FILES ${_velmora_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/${_velmora_lang_dir}man1)
  endforeach()
endforeach()
add_custom_target(velmora-gzipped-docs ALL DEPENDS ${_velmora_gzipped})

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

  configure_file(${PROJECT_SOURCE_DIR}/packaging/velmora.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${VELMORA_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${VELMORA_APPSTREAM_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The desktop icons: the window's key drawn afresh at each size by the
  # picture generator (at 32 x 32 it is key.ico pixel for pixel).
  set(_velmora_icon_dir ${PROJECT_BINARY_DIR}/packaging/icons)
  set(_velmora_icon_sizes 16 24 32 48 64 128 256)
  set(_velmora_icon_pngs)
  foreach(_velmora_size IN LISTS _velmora_icon_sizes)
    list(APPEND _velmora_icon_pngs ${_velmora_icon_dir}/velmora-${_velmora_size}.png)
  endforeach()
  add_custom_command(OUTPUT ${_velmora_icon_pngs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_velmora_icon_dir}
    COMMAND velmora-resource-gen --desktop-icons ${_velmora_icon_dir}
    DEPENDS velmora-resource-gen
    COMMENT "Ritar skrivbordsikonerna"
    VERBATIM)
  add_custom_target(velmora-desktop-icons ALL DEPENDS ${_velmora_icon_pngs})
  foreach(_velmora_size IN LISTS _velmora_icon_sizes)
    install(FILES ${_velmora_icon_dir}/velmora-${_velmora_size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_velmora_size}x${_velmora_size}/apps
      RENAME velmora.png)
  endforeach()
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
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "kryptering av e-posttext med ett delat lösenord")
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
# The libraries the programs link, with the versions their symbols need,
# come from dpkg-shlibdeps (dpkg-dev); it cannot see the fonts the window is
# drawn with, nor xdg-open for the Info menu, nor the Wayland platform plugin
# Qt uses on a Wayland desktop instead of XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET velmora)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, xdg-utils")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
