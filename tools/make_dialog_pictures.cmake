# The dialogs' pictures: the About picture (bitmap 116), the Image Library's list icons
# (bitmaps 138 to 141) and the program's icons 100 and 102, painted at build time.
set(ZEN_DIALOG_PICTURES_DIR ${ZEN_GENERATED_DIR}/dialogs)
set(ZEN_DIALOG_PICTURES
  ${ZEN_DIALOG_PICTURES_DIR}/About.bmp
  ${ZEN_DIALOG_PICTURES_DIR}/FileIcon32.bmp
  ${ZEN_DIALOG_PICTURES_DIR}/FolderIcon32.bmp
  ${ZEN_DIALOG_PICTURES_DIR}/FileIcon16.bmp
  ${ZEN_DIALOG_PICTURES_DIR}/FolderIcon16.bmp
  ${ZEN_DIALOG_PICTURES_DIR}/Saver.ico
  ${ZEN_DIALOG_PICTURES_DIR}/Settings.ico
  ${ZEN_DIALOG_PICTURES_DIR}/Saver48.png
  ${ZEN_DIALOG_PICTURES_DIR}/Saver128.png)
target_link_libraries(make_dialog_pictures PRIVATE PkgConfig::STB)
add_custom_command(
  OUTPUT ${ZEN_DIALOG_PICTURES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEN_DIALOG_PICTURES_DIR}
  COMMAND make_dialog_pictures ${ZEN_DIALOG_PICTURES_DIR}
  DEPENDS make_dialog_pictures
  COMMENT "Painting the dialogs' pictures and icons"
  VERBATIM)
add_custom_target(zen_dialog_pictures DEPENDS ${ZEN_DIALOG_PICTURES})
zen_add_resource(Bitmap 116 ${ZEN_DIALOG_PICTURES_DIR}/About.bmp)
zen_add_resource(Bitmap 138 ${ZEN_DIALOG_PICTURES_DIR}/FileIcon32.bmp)
zen_add_resource(Bitmap 139 ${ZEN_DIALOG_PICTURES_DIR}/FolderIcon32.bmp)
zen_add_resource(Bitmap 140 ${ZEN_DIALOG_PICTURES_DIR}/FileIcon16.bmp)
zen_add_resource(Bitmap 141 ${ZEN_DIALOG_PICTURES_DIR}/FolderIcon16.bmp)
zen_add_resource(Icon 100 ${ZEN_DIALOG_PICTURES_DIR}/Saver.ico)
zen_add_resource(Icon 102 ${ZEN_DIALOG_PICTURES_DIR}/Settings.ico)
