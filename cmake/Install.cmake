# Installation where Linux screen-saver daemons look, and the Debian package.
# XScreenSaver runs display programs from libexec/xscreensaver and describes their
# settings in share/xscreensaver/config; MATE's and Xfce's screen savers list the
# desktop entries of share/applications/screensavers.
include(GNUInstallDirs)

set(ZEN_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(ZEN_INSTALL_FILES_DIR ${CMAKE_BINARY_DIR}/install-files)

install(TARGETS zentharis RUNTIME DESTINATION ${ZEN_INSTALL_PROGRAM_DIR})
# Stripped (cpack, cmake --install --strip), the program also loses the compilers' notes
# in .comment, as Debian's dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZEN_INSTALL_PROGRAM_DIR}/zentharis\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# bin/zentharis leads to the program by a relative link, so any prefix works.
file(RELATIVE_PATH ZEN_LINK_TARGET ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver/zentharis)
file(MAKE_DIRECTORY ${ZEN_INSTALL_FILES_DIR})
file(CREATE_LINK ${ZEN_LINK_TARGET} ${ZEN_INSTALL_FILES_DIR}/zentharis SYMBOLIC)
install(FILES ${ZEN_INSTALL_FILES_DIR}/zentharis DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry names the program by its full path, known only when installing
# (cpack installs under a prefix of its own).
install(CODE "
  set(ZEN_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${ZEN_INSTALL_PROGRAM_DIR}/zentharis\")
  configure_file(${CMAKE_SOURCE_DIR}/packaging/zentharis.desktop.in
    ${ZEN_INSTALL_FILES_DIR}/zentharis.desktop @ONLY)")

# The manual page and the changelog are installed compressed, as Debian policy asks;
# gzip -n leaves out the name and time, so the same text gives the same bytes.
configure_file(packaging/zentharis.6.in ${ZEN_INSTALL_FILES_DIR}/zentharis.6 @ONLY)
configure_file(packaging/changelog ${ZEN_INSTALL_FILES_DIR}/changelog COPYONLY)
set(ZEN_COMPRESSED_FILES)
foreach(name zentharis.6 changelog)
  add_custom_command(OUTPUT ${ZEN_INSTALL_FILES_DIR}/${name}.gz
    COMMAND gzip -9nkf ${ZEN_INSTALL_FILES_DIR}/${name}
    DEPENDS ${ZEN_INSTALL_FILES_DIR}/${name} VERBATIM)
  list(APPEND ZEN_COMPRESSED_FILES ${ZEN_INSTALL_FILES_DIR}/${name}.gz)
endforeach()
add_custom_target(zentharis_compressed_files ALL DEPENDS ${ZEN_COMPRESSED_FILES})

install(FILES packaging/zentharis.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${ZEN_INSTALL_FILES_DIR}/zentharis.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${ZEN_INSTALL_FILES_DIR}/zentharis.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${ZEN_DIALOG_PICTURES_DIR}/Saver48.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME zentharis.png)
install(FILES ${ZEN_DIALOG_PICTURES_DIR}/Saver128.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME zentharis.png)
install(FILES ${ZEN_DIALOG_PICTURES_DIR}/Saver48.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME zentharis.png)
install(FILES ${ZEN_INSTALL_FILES_DIR}/changelog.gz packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zentharis)
install(FILES packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zentharis)

# cpack -G DEB: zentharis_<version>_amd64.deb, its library dependencies found by
# dpkg-shlibdeps from what the program links.
set(CPACK_PACKAGE_NAME zentharis)
set(CPACK_PACKAGE_VENDOR Vorelund)
set(CPACK_PACKAGE_CONTACT "Vorelund <zentharis@vorelund.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated 3D alien dusk screen saver")
# Description lines stay within 79 columns (the control file indents them by one).
set(CPACK_PACKAGE_DESCRIPTION
  "Zentharis draws, with OpenGL 2.0, a painted dusk over a distant planet, four\n\
swaying flowers, a tentacle that unrolls a disc showing the user's own pictures\n\
and a winged creature whose wings shed sparks, with sound. It runs inside\n\
XScreenSaver, MATE's and Xfce's screen savers, or full screen by itself.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver")
set(CPACK_STRIP_FILES ON)
include(CPack)
