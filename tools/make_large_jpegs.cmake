# The large JPEGs (tools/make_large_jpegs.cpp) are made at test time, once per build,
# into build/large-jpegs/, by the fixture of the checks that use them: they take seconds
# to write and a few hundred MB, so no other build step waits for them.
find_package(JPEG REQUIRED)
target_link_libraries(make_large_jpegs PRIVATE JPEG::JPEG)
# The fixture runs the generator: builds of the test programs alone build it too.
function(zen_large_jpegs_users)
  foreach(test LargePicturesTest TentaclesXvfbTest)
    if(TARGET ${test})
      add_dependencies(${test} make_large_jpegs)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL zen_large_jpegs_users)
