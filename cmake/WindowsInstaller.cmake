# The Windows installer, zentharis-<version>-setup.exe, made by makensis (Debian's nsis)
# from packaging/windows/zentharis.nsi.in: the stripped .scr, the read-me (also its
# first page), the saver's own icon and a picture made from the generated backdrop. Its version is the project's.
find_program(ZEN_MAKENSIS makensis)
if(NOT ZEN_MAKENSIS)
  message(WARNING "makensis (Debian's nsis) is missing: no installer (scripts/install-deps.sh installs it).")
  return()
endif()

set(ZEN_SETUP_DIR ${CMAKE_BINARY_DIR}/setup)
set(ZEN_SETUP_FILE ${CMAKE_BINARY_DIR}/zentharis-${PROJECT_VERSION}-setup.exe)
set(ZEN_SETUP_SAVER ${ZEN_SETUP_DIR}/zentharis.scr)
set(ZEN_SETUP_README ${ZEN_SETUP_DIR}/ReadMe.txt)
set(ZEN_SETUP_SCRIPT ${ZEN_SETUP_DIR}/zentharis.nsi)

# The file the native build lists for a resource of the .scr (kind|id|file), or nothing.
function(zen_native_resource kind id variable)
  set(file "")
  foreach(entry ${ZEN_NATIVE_RESOURCES})
    if(entry MATCHES "^${kind}\\|${id}\\|(.*)$")
      set(file ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${variable} "${file}" PARENT_SCOPE)
endfunction()

# The saver's icon (icon 100).
zen_native_resource(Icon 100 ZEN_SETUP_ICON)
if(NOT ZEN_SETUP_ICON)
  message(FATAL_ERROR "The native build lists no icon 100 for the installer.")
endif()

# The finish page's picture: the middle of the generated dusk backdrop (bitmap 149), at
# the 164x314 the page shows, as the uncompressed 24-bit BMP it takes.
zen_native_resource(Bitmap 149 ZEN_SETUP_BACKDROP)
find_program(ZEN_CONVERT convert)
if(NOT ZEN_SETUP_BACKDROP OR NOT ZEN_CONVERT)
  message(FATAL_ERROR "The installer's picture needs the backdrop (bitmap 149) and ImageMagick's convert.")
endif()
set(ZEN_SETUP_WIZARD_BITMAP ${ZEN_SETUP_DIR}/Wizard.bmp)
add_custom_command(OUTPUT ${ZEN_SETUP_WIZARD_BITMAP}
  COMMAND ${ZEN_CONVERT} ${ZEN_SETUP_BACKDROP} -resize x314 -gravity center -crop 164x314+0+0 +repage
    -type TrueColor BMP3:${ZEN_SETUP_WIZARD_BITMAP}
  DEPENDS ${ZEN_SETUP_BACKDROP} VERBATIM)

# The read-me with Windows line ends, for its page and Notepad alike.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/ReadMe.txt ${ZEN_SETUP_DIR}/ReadMe.lf.txt @ONLY)
file(READ ${ZEN_SETUP_DIR}/ReadMe.lf.txt text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${ZEN_SETUP_DIR}/ReadMe.crlf.txt "${text}")
configure_file(${ZEN_SETUP_DIR}/ReadMe.crlf.txt ${ZEN_SETUP_README} COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/zentharis.nsi.in ${ZEN_SETUP_SCRIPT} @ONLY)

# What is shipped (the installer and the release's zip) is the .scr without its
# debugging information. strip writes the time into the header unless SOURCE_DATE_EPOCH
# says otherwise: 0, as the linker leaves it, so any build folder gives the same bytes.
add_custom_command(OUTPUT ${ZEN_SETUP_SAVER}
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
    ${CMAKE_STRIP} --strip-all -o ${ZEN_SETUP_SAVER} $<TARGET_FILE:zentharis>
  DEPENDS zentharis VERBATIM)
add_custom_command(OUTPUT ${ZEN_SETUP_FILE}
  COMMAND ${ZEN_MAKENSIS} -V2 -NOCD ${ZEN_SETUP_SCRIPT}
  DEPENDS ${ZEN_SETUP_SCRIPT} ${ZEN_SETUP_SAVER} ${ZEN_SETUP_README} ${ZEN_SETUP_ICON}
    ${ZEN_SETUP_WIZARD_BITMAP}
  WORKING_DIRECTORY ${ZEN_SETUP_DIR} VERBATIM)
add_custom_target(zentharis-setup ALL DEPENDS ${ZEN_SETUP_FILE})
