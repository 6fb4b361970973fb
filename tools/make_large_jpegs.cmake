# The large JPEGs (tools/make_large_jpegs.cpp) are made at test time, once per build,
# into build/large-jpegs/, by the fixture of the checks that use them: they take seconds
# to write and a few hundred MB, so no other build step waits for them.
find_package(JPEG REQUIRED)
target_link_libraries(make_large_jpegs PRIVATE JPEG::JPEG)
