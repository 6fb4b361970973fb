# Hostile picture files for the decoder tests, the fuzzers' seeds and the saver's
# hostile-collection checks: written at test time by the program itself
# (make_hostile_pictures [--seeds] FOLDER in the build folder), never kept in the tree.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(ZLIB REQUIRED)
target_link_libraries(make_hostile_pictures PRIVATE PNG::PNG JPEG::JPEG GIF::GIF ZLIB::ZLIB)
# The tests that run it; tests/ is added after this rule.
function(zen_hostile_pictures_users)
  foreach(test HostilePicturesTest PictureFormatTest)
    if(TARGET ${test})
      add_dependencies(${test} make_hostile_pictures)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL zen_hostile_pictures_users)
