# The Windows screen saver, zentharis.scr, cross-built with mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DZEN_NATIVE_BUILD_DIR=$PWD/build
# The asset generators in tools/ are the native build's: build it first. Its pictures,
# sounds and model source come into this build through the list it writes, and become
# Windows resources through a generated .rc. GLEW is built here, statically, from
# Debian's source package.
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
find_package(Threads REQUIRED)

# GLEW, static, from the source fetched by scripts/fetch-glew-source.sh.
set(ZEN_GLEW_DIR ${CMAKE_BINARY_DIR}/glew-source)
execute_process(
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-glew-source.sh ${ZEN_GLEW_DIR}
  RESULT_VARIABLE glew_fetched)
if(NOT glew_fetched EQUAL 0)
  message(FATAL_ERROR "GLEW's source could not be fetched (scripts/fetch-glew-source.sh).")
endif()
add_library(zentharis_glew STATIC ${ZEN_GLEW_DIR}/src/glew.c)
target_include_directories(zentharis_glew SYSTEM PUBLIC ${ZEN_GLEW_DIR}/include)
target_compile_definitions(zentharis_glew PUBLIC GLEW_STATIC)
target_compile_options(zentharis_glew PRIVATE -w)  # third-party code, built as shipped
target_link_libraries(zentharis_glew PUBLIC opengl32)

# Platform backend: the only code that sees Windows.
file(GLOB ZEN_PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/*.cpp ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
list(REMOVE_ITEM ZEN_PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/platform/win32/WinMain.cpp)
add_library(zentharis_platform STATIC ${ZEN_PLATFORM_SOURCES})
target_include_directories(zentharis_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(zentharis_platform PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zentharis_platform PUBLIC zentharis_glew glu32 opengl32
  PRIVATE dsound dxguid gdiplus comctl32 comdlg32 shell32 ole32 gdi32 user32 advapi32 winmm
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
# Other resources (dialog templates) written by hand join through this list.
file(GLOB ZEN_EXTRA_RESOURCE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
add_library(zentharis_resources OBJECT ${ZEN_RESOURCE_SCRIPT} ${ZEN_EXTRA_RESOURCE_SCRIPTS})

# The screen saver: a GUI program whose entry point is wWinMain.
add_executable(zentharis WIN32 platform/win32/WinMain.cpp $<TARGET_OBJECTS:zentharis_resources>)
target_compile_definitions(zentharis PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zentharis PRIVATE zentharis_core zentharis_process_objects comctl32)
target_link_options(zentharis PRIVATE -municode)
set_target_properties(zentharis PROPERTIES SUFFIX ".scr")

enable_testing()
# The unit tests, cross-built, under Wine.
add_subdirectory(tests)
add_subdirectory(tests/windows)
