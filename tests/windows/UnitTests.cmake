# The unit tests, cross-built and run under Wine (included by tests/CMakeLists.txt in the
# Windows build). One ctest entry per program: a Wine start costs seconds, so a program's
# cases run together. They have a Wine prefix of their own, so they neither wait for nor
# get ended by the whole-program checks, which take turns in theirs.
set(ZEN_UNIT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix-unit)
set(ZEN_UNIT_WINE_ENV "WINEPREFIX=${ZEN_UNIT_WINE_PREFIX}"
  "ZEN_BUILD_DIR=${CMAKE_BINARY_DIR}" "ZEN_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
add_test(NAME wine-unit-prefix COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${ZEN_UNIT_WINE_PREFIX})
set_tests_properties(wine-unit-prefix PROPERTIES FIXTURES_SETUP WineUnitPrefix TIMEOUT 300)

# The pictures the native build paints, under the same names as there; the large JPEGs
# are written there by the native generator when a check needs them.
foreach(folder sample-pictures picture-encodings large-jpegs)
  file(CREATE_LINK ${ZEN_NATIVE_BUILD_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder} SYMBOLIC)
endforeach()
add_test(NAME wine-large-jpegs COMMAND ${ZEN_NATIVE_BUILD_DIR}/make_large_jpegs ${ZEN_NATIVE_BUILD_DIR}/large-jpegs)
set_tests_properties(wine-large-jpegs PROPERTIES FIXTURES_SETUP LargeJpegs TIMEOUT 600)

# What stays on Linux, program by program or case by case, and why. Each has a Windows
# twin where one makes sense.
set(ZEN_LINUX_ONLY_PROGRAMS
  SoundRecordingTest  # records through OpenAL's wave output; twin: the DirectSound checks under Wine
  HostilePicturesTest  # each picture in a child process under a memory limit (fork, setrlimit)
  PictureFormatTest  # makes its pictures by running the native generator
)
set(ZEN_LINUX_ONLY_CASES
  # Chooses OpenAL's driver list for the silent stand-in, which Windows does not have;
  # twin: the saver without an audio device names DirectX (wine-directsound).
  SoundManager.WithoutAnOutputDeviceItPlaysSilentlyInRealTime
  # GTK without a display.
  SettingsDialogModeTest.WithoutADisplayItEndsWithAMessageAndChangesNothing
  # Symbolic links and named pipes in a picture folder.
  PictureSequence.SkipsDotFoldersLinkLoopsAndDanglingLinks
  # The depths SDL2_image gives; GDI+ keeps a GDI-compatible format's depth. Twin:
  # ImageDecoderGdiplusTest.
  CImage.DecodesTheLessCommonEncodingsToTheirColours
  # Wine's HALFTONE stretch does not average a checker to grey as Windows' does.
  CImage.StretchesWithAreaAveragingAndSmoothEnlargingKeepingTheTopUp
  # Reads the icon file as it is embedded; Windows keeps icons as a group of resources.
  SettingsDialogPicturesTest.IconsHoldThreeSizesWithTransparentCorners
)
# OptionsStoreTest is mostly about the settings file: only the cases that go through the
# store alone run here, so that new cases about the file stay on Linux. The registry's
# own cases are SettingsStoreRegistryTest's.
set(ZEN_WINDOWS_CASES_OptionsStoreTest
  "StoredOptionsParameterTest.*:OptionsStoreTest.MissingFileKeepsTheDefaults:OptionsStoreTest.ValuesWithLineBreaksAndBackslashesRoundTrip")
string(REPLACE ";" ":" ZEN_LINUX_ONLY_FILTER "${ZEN_LINUX_ONLY_CASES}")

# While the picture decoder or the folder listing is still a placeholder, the tests that
# need them wait: ctest shows them as disabled rather than passed.
set(ZEN_PICTURE_PROGRAMS CImageTest PictureSequenceTest TentaclesTest ImageLibraryDialogPreviewTest
  DiscPictureLoaderTest)
set(ZEN_PICTURES_WAITING OFF)
foreach(backend ImageDecoderGdiplus FileSystemWin32)
  set(source ${CMAKE_SOURCE_DIR}/platform/win32/${backend}.cpp)
  if(EXISTS ${source})
    file(STRINGS ${source} first LIMIT_COUNT 1)
    if(first MATCHES "^// Placeholder")
      set(ZEN_PICTURES_WAITING ON)
    endif()
  endif()
endforeach()

foreach(src ${ZEN_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  # Xvfb tests draw through GLX; the Wine checks of the .scr draw the scene through WGL.
  if(name MATCHES "XvfbTest$" OR name IN_LIST ZEN_LINUX_ONLY_PROGRAMS)
    continue()
  endif()
  add_executable(${name} ${src} $<TARGET_OBJECTS:zentharis_resources>)
  target_link_libraries(${name} PRIVATE zentharis_process_objects zentharis_test_support GTest::gtest_main)
  if(DEFINED ZEN_WINDOWS_CASES_${name})
    set(filter "${ZEN_WINDOWS_CASES_${name}}")
  else()
    set(filter "*-${ZEN_LINUX_ONLY_FILTER}")
  endif()
  # The emulator (scripts/wine-run.sh) comes in front of the program by itself.
  add_test(NAME wine-${name} COMMAND ${name} --gtest_filter=${filter})
  set_tests_properties(wine-${name} PROPERTIES ENVIRONMENT "${ZEN_UNIT_WINE_ENV}" TIMEOUT 300
    FIXTURES_REQUIRED WineUnitPrefix)
  if(name STREQUAL "LargePicturesTest")
    set_tests_properties(wine-${name} PROPERTIES FIXTURES_REQUIRED "WineUnitPrefix;LargeJpegs")
  endif()
  if(ZEN_PICTURES_WAITING AND name IN_LIST ZEN_PICTURE_PROGRAMS)
    set_tests_properties(wine-${name} PROPERTIES DISABLED TRUE)
  endif()
endforeach()

# A stand-in for "Confirm settings" in the registry check.
add_executable(SettingsProbe ${CMAKE_SOURCE_DIR}/tests/platform/win32/SettingsProbe.cpp)
target_link_libraries(SettingsProbe PRIVATE zentharis_process_objects)

# The saver window's backend cases need a display, and a process each: the window class
# is registered once per process. Their Wine prefix is their own, and they take turns in
# it: its server must be started by a process with their display.
set(ZEN_WINDOW_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix-window)
add_test(NAME wine-window-prefix COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${ZEN_WINDOW_WINE_PREFIX})
set_tests_properties(wine-window-prefix PROPERTIES FIXTURES_SETUP WineWindowPrefix TIMEOUT 300)
add_executable(SaverWindowWin32Test ${CMAKE_SOURCE_DIR}/tests/windows/SaverWindowWin32Cases.cpp)
target_link_libraries(SaverWindowWin32Test PRIVATE zentharis_platform GTest::gtest_main)
foreach(case ACreateHandlerThatDestroysTheWindowEndsTheRunCleanly
    ACreateHandlerThatRefusesTheWindowEndsTheRunCleanly
    APreviewsSizeFollowsItsParentAndIsReadableFromAnotherThread)
  add_test(NAME wine-SaverWindowWin32Test.${case}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/run-window-case.sh $<TARGET_FILE:SaverWindowWin32Test> ${case})
  set_tests_properties(wine-SaverWindowWin32Test.${case} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${ZEN_WINDOW_WINE_PREFIX};ZEN_SCRIPTS_DIR=${CMAKE_SOURCE_DIR}/scripts"
    TIMEOUT 300 FIXTURES_REQUIRED WineWindowPrefix RESOURCE_LOCK wine-window-prefix)
endforeach()
