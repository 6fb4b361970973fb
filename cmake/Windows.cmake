# The Windows screen saver, zentharis.scr, cross-built with mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DZEN_NATIVE_BUILD_DIR=$PWD/build
# The asset generators in tools/ are the native build's: build it first. Its pictures,
# sounds and model source come into this build through the list it writes, and become
# Windows resources through a generated .rc. GLEW and libjpeg-turbo are built here,
# statically, from Debian's source packages.
if(NOT ZEN_NATIVE_BUILD_DIR)
  message(FATAL_ERROR "Set ZEN_NATIVE_BUILD_DIR to the native build folder (it runs the asset generators).")
endif()
get_filename_component(ZEN_NATIVE_BUILD_DIR "${ZEN_NATIVE_BUILD_DIR}" ABSOLUTE)
set(ZEN_BUILD_INPUTS "${ZEN_NATIVE_BUILD_DIR}/generated/windows-build-inputs.cmake")
if(NOT EXISTS "${ZEN_BUILD_INPUTS}")
  message(FATAL_ERROR "${ZEN_BUILD_INPUTS} is missing: configure the native build first.")
endif()
include("${ZEN_BUILD_INPUTS}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${ZEN_BUILD_INPUTS}")

enable_language(RC)
set(ZEN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(app/Version.h.in ${ZEN_GENERATED_DIR}/Version.h @ONLY)
find_package(Threads REQUIRED)

# GLEW, static, from the source fetched by scripts/fetch-debian-source.sh.
set(ZEN_GLEW_DIR ${CMAKE_BINARY_DIR}/glew-source)
execute_process(
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh glew ${ZEN_GLEW_DIR} src/glew.c
  RESULT_VARIABLE glew_fetched)
if(NOT glew_fetched EQUAL 0)
  message(FATAL_ERROR "GLEW's source could not be fetched (scripts/fetch-debian-source.sh).")
endif()
add_library(zentharis_glew STATIC ${ZEN_GLEW_DIR}/src/glew.c)
target_include_directories(zentharis_glew SYSTEM PUBLIC ${ZEN_GLEW_DIR}/include)
target_compile_definitions(zentharis_glew PUBLIC GLEW_STATIC)
target_compile_options(zentharis_glew PRIVATE -w)  # third-party code, built as shipped
target_link_libraries(zentharis_glew PUBLIC opengl32)

# libjpeg-turbo, static, for JPEGs decoded at a reduced scale (GDI+ decodes at full
# size). Its SIMD code is left out: it needs nasm, and at an eighth of the size the time
# goes to the entropy decoder, which has none.
set(ZEN_JPEG_SOURCE_DIR ${CMAKE_BINARY_DIR}/libjpeg-turbo-source)
set(ZEN_JPEG_BUILD_DIR ${CMAKE_BINARY_DIR}/libjpeg-turbo)
execute_process(
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh libjpeg-turbo ${ZEN_JPEG_SOURCE_DIR} jpeglib.h
  RESULT_VARIABLE jpeg_fetched)
if(NOT jpeg_fetched EQUAL 0)
  message(FATAL_ERROR "libjpeg-turbo's source could not be fetched (scripts/fetch-debian-source.sh).")
endif()
include(ExternalProject)
# A toolchain file given relative to the source folder (as test.sh gives it) means
# nothing to a project configured elsewhere.
if(EXISTS ${CMAKE_BINARY_DIR}/${CMAKE_TOOLCHAIN_FILE})
  get_filename_component(ZEN_TOOLCHAIN_FILE ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_BINARY_DIR})
else()
  get_filename_component(ZEN_TOOLCHAIN_FILE ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
endif()
ExternalProject_Add(zentharis_jpeg_build
  SOURCE_DIR ${ZEN_JPEG_SOURCE_DIR}
  BINARY_DIR ${ZEN_JPEG_BUILD_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${ZEN_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${ZEN_JPEG_BUILD_DIR}/unused -DENABLE_SHARED=OFF -DWITH_SIMD=OFF
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
  # Its own make, not a child of ours: the library alone, one file at a time.
  BUILD_COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS
    ${CMAKE_COMMAND} --build ${ZEN_JPEG_BUILD_DIR} --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${ZEN_JPEG_BUILD_DIR}/libjpeg.a)
file(MAKE_DIRECTORY ${ZEN_JPEG_BUILD_DIR})
add_library(zentharis_jpeg STATIC IMPORTED)
set_target_properties(zentharis_jpeg PROPERTIES IMPORTED_LOCATION ${ZEN_JPEG_BUILD_DIR}/libjpeg.a)
target_include_directories(zentharis_jpeg SYSTEM INTERFACE ${ZEN_JPEG_SOURCE_DIR} ${ZEN_JPEG_BUILD_DIR})
add_dependencies(zentharis_jpeg zentharis_jpeg_build)

# Platform backend: the only code that sees Windows.
file(GLOB ZEN_PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/*.cpp ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
list(REMOVE_ITEM ZEN_PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/platform/win32/WinMain.cpp)
add_library(zentharis_platform STATIC ${ZEN_PLATFORM_SOURCES})
target_include_directories(zentharis_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(zentharis_platform PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zentharis_platform PUBLIC zentharis_glew glu32 opengl32
  PRIVATE zentharis_jpeg dsound dxguid gdiplus comctl32 comdlg32 shell32 ole32 gdi32 user32 advapi32 winmm
  Threads::Threads)

# Portable program code, as in the native build.
file(GLOB_RECURSE ZEN_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/render/*.cpp ${CMAKE_SOURCE_DIR}/scene/*.cpp
  ${CMAKE_SOURCE_DIR}/sound/*.cpp ${CMAKE_SOURCE_DIR}/settings/*.cpp)
list(REMOVE_ITEM ZEN_CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/app/main.cpp ${CMAKE_SOURCE_DIR}/app/ProcessObjects.cpp)
add_library(zentharis_core STATIC ${ZEN_CORE_SOURCES} ${ZEN_NATIVE_GENERATED_CORE_SOURCES})
target_include_directories(zentharis_core PUBLIC ${CMAKE_SOURCE_DIR} ${ZEN_GENERATED_DIR})
target_link_libraries(zentharis_core PUBLIC zentharis_platform Threads::Threads)

add_library(zentharis_process_objects OBJECT app/ProcessObjects.cpp)
target_link_libraries(zentharis_process_objects PUBLIC zentharis_core)

# The resources as a Windows resource script: custom types by name, bitmaps, icons and
# the description string, from the same files the native build embeds.
function(zen_write_resource_script script)
  set(text "// Generated from the native build's resource list.\n")
  set(strings "")
  set(files "")
  foreach(entry ${ZEN_NATIVE_RESOURCES})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 type)
    list(GET parts 1 id)
    list(GET parts 2 file)
    list(APPEND files ${file})
    if(type STREQUAL "String")
      file(READ "${file}" value)
      string(STRIP "${value}" value)
      string(REPLACE "\"" "\"\"" value "${value}")
      string(APPEND strings "    ${id}, \"${value}\"\n")
    elseif(type STREQUAL "Bitmap")
      string(APPEND text "${id} BITMAP \"${file}\"\n")
    elseif(type STREQUAL "Icon")
      string(APPEND text "${id} ICON \"${file}\"\n")
    else()
      string(APPEND text "${id} ${type} \"${file}\"\n")
    endif()
  endforeach()
  if(strings)
    string(APPEND text "STRINGTABLE\nBEGIN\n${strings}END\n")
  endif()
  file(WRITE "${script}.in" "${text}")
  configure_file("${script}.in" "${script}" COPYONLY)
  set_source_files_properties("${script}" PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
set(ZEN_RESOURCE_SCRIPT ${ZEN_GENERATED_DIR}/zentharis.rc)
zen_write_resource_script(${ZEN_RESOURCE_SCRIPT})
# The version resource, from the project's version in four numbers (1.0 -> 1.0.0.0), as
# the installer gives it too.
string(REPLACE "." ";" ZEN_VERSION_PARTS "${PROJECT_VERSION}")
list(LENGTH ZEN_VERSION_PARTS count)
while(count LESS 4)
  list(APPEND ZEN_VERSION_PARTS 0)
  math(EXPR count "${count} + 1")
endwhile()
list(JOIN ZEN_VERSION_PARTS "." ZEN_VERSION_QUAD)
list(JOIN ZEN_VERSION_PARTS "," ZEN_VERSION_COMMAS)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/version.rc.in ${ZEN_GENERATED_DIR}/version.rc @ONLY)
# Other resources (dialog templates) written by hand join through this list.
file(GLOB ZEN_EXTRA_RESOURCE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
add_library(zentharis_resources OBJECT ${ZEN_RESOURCE_SCRIPT} ${ZEN_EXTRA_RESOURCE_SCRIPTS}
  ${ZEN_GENERATED_DIR}/version.rc)
target_include_directories(zentharis_resources PRIVATE ${ZEN_GENERATED_DIR})

# The screen saver: a GUI program whose entry point is wWinMain.
add_executable(zentharis WIN32 platform/win32/WinMain.cpp $<TARGET_OBJECTS:zentharis_resources>)
target_compile_definitions(zentharis PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zentharis PRIVATE zentharis_core zentharis_process_objects comctl32)
# No link time in the file's header: the same source links to the same bytes.
target_link_options(zentharis PRIVATE -municode -Wl,--no-insert-timestamp)
set_target_properties(zentharis PROPERTIES SUFFIX ".scr")
# The installer, zentharis-<version>-setup.exe.
include(cmake/WindowsInstaller.cmake)

# The large-picture benchmark, run under Wine by bench/large-pictures.sh.
add_executable(LargePictureDecode bench/LargePictureDecode.cpp bench/win32/PeakMemoryWin32.cpp)
target_include_directories(LargePictureDecode PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(LargePictureDecode PRIVATE zentharis_core zentharis_process_objects psapi)

enable_testing()
# The unit tests, cross-built, under Wine.
add_subdirectory(tests)
add_subdirectory(tests/windows)
