# The winged creature's body model: constant tables compiled into the program.
set(ZEN_CREATURE_MODEL_SOURCE ${ZEN_GENERATED_DIR}/creature/WingedCreatureModel.cpp)
add_custom_command(
  OUTPUT ${ZEN_CREATURE_MODEL_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZEN_GENERATED_DIR}/creature
  COMMAND make_creature_model ${ZEN_CREATURE_MODEL_SOURCE}
  DEPENDS make_creature_model
  COMMENT "Generating the winged creature's body model"
  VERBATIM)
zen_add_generated_core_source(${ZEN_CREATURE_MODEL_SOURCE})
