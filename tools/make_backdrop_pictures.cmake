# The backdrop (bitmap 149) and the distant planet (bitmap 130), painted at build time.
set(ZEN_BACKDROP_PICTURES_DIR ${ZEN_GENERATED_DIR}/backdrop)
set(ZEN_BACKDROP_BMP ${ZEN_BACKDROP_PICTURES_DIR}/Backdrop.bmp)
set(ZEN_PLANET_BMP ${ZEN_BACKDROP_PICTURES_DIR}/Planet.bmp)
add_custom_command(
  OUTPUT ${ZEN_BACKDROP_BMP} ${ZEN_PLANET_BMP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEN_BACKDROP_PICTURES_DIR}
  COMMAND make_backdrop_pictures ${ZEN_BACKDROP_BMP} ${ZEN_PLANET_BMP}
  DEPENDS make_backdrop_pictures
  COMMENT "Painting the backdrop and the planet"
  VERBATIM)
add_custom_target(zen_backdrop_pictures DEPENDS ${ZEN_BACKDROP_BMP} ${ZEN_PLANET_BMP})
zen_add_resource(Bitmap 149 ${ZEN_BACKDROP_BMP})
zen_add_resource(Bitmap 130 ${ZEN_PLANET_BMP})
