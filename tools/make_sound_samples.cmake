# The two sound samples, made at build time.
set(ZEN_SOUND_DIR ${ZEN_GENERATED_DIR}/sound)
add_custom_command(
  OUTPUT ${ZEN_SOUND_DIR}/AmbientLoop.raw ${ZEN_SOUND_DIR}/WingFlutter.raw
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEN_SOUND_DIR}
  COMMAND make_sound_samples ${ZEN_SOUND_DIR}
  DEPENDS make_sound_samples
  COMMENT "Making the sound samples")
add_custom_target(zen_sound_samples DEPENDS ${ZEN_SOUND_DIR}/AmbientLoop.raw ${ZEN_SOUND_DIR}/WingFlutter.raw)
zen_add_resource(SoundSamples 132 ${ZEN_SOUND_DIR}/AmbientLoop.raw)
zen_add_resource(SoundSamples 133 ${ZEN_SOUND_DIR}/WingFlutter.raw)
