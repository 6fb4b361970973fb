# The sample picture folder that ./run.sh points its own settings at; made in the
# build tree, never installed or embedded.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
target_link_libraries(make_sample_pictures PRIVATE PNG::PNG JPEG::JPEG GIF::GIF)
set(ZEN_SAMPLE_PICTURES_DIR ${CMAKE_BINARY_DIR}/sample-pictures)
set(ZEN_SAMPLE_PICTURES
  "${ZEN_SAMPLE_PICTURES_DIR}/Dusk over the lake.jpg"
  "${ZEN_SAMPLE_PICTURES_DIR}/Summer meadow.bmp"
  "${ZEN_SAMPLE_PICTURES_DIR}/Northern lights.gif"
  "${ZEN_SAMPLE_PICTURES_DIR}/Blossom.png"
  "${ZEN_SAMPLE_PICTURES_DIR}/More pictures/Lighthouse.png"
  "${ZEN_SAMPLE_PICTURES_DIR}/More pictures/Snowy peaks.jpg"
  # Less common encodings, for the decoder's tests.
  "${CMAKE_BINARY_DIR}/picture-encodings/cmyk.jpg"
  "${CMAKE_BINARY_DIR}/picture-encodings/orientation-8.jpg")
add_custom_command(
  OUTPUT ${ZEN_SAMPLE_PICTURES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEN_SAMPLE_PICTURES_DIR}
  COMMAND make_sample_pictures ${ZEN_SAMPLE_PICTURES_DIR} ${CMAKE_BINARY_DIR}/picture-encodings
  DEPENDS make_sample_pictures
  COMMENT "Painting the sample pictures"
  VERBATIM)
add_custom_target(zen_sample_pictures ALL DEPENDS ${ZEN_SAMPLE_PICTURES})
# The saver target is declared later; the headless run needs the folder beside it.
cmake_language(DEFER CALL add_dependencies zentharis zen_sample_pictures)

# The pictures benchmark encodes its own large JPEG and draws the sample pictures;
# bench/ is added after this rule.
function(zen_prepare_pictures_bench)
  if(TARGET PicturesBench)
    target_link_libraries(PicturesBench PRIVATE JPEG::JPEG)
    target_compile_definitions(PicturesBench PRIVATE ZEN_BUILD_DIR="${CMAKE_BINARY_DIR}")
    add_dependencies(PicturesBench zen_sample_pictures)
  endif()
endfunction()
cmake_language(DEFER CALL zen_prepare_pictures_bench)
