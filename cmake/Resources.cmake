# Embedded resources, addressed by type and integer id as the program uses them.
# Each one is linked in with .incbin and followed by a NUL byte that its size does
# not count, so texts can be used in place.

function(zen_add_resource type id file)
  set_property(GLOBAL APPEND PROPERTY ZEN_RESOURCES "${type}|${id}|${file}")
endfunction()

# A generated C++ source that belongs to the program's portable code.
function(zen_add_generated_core_source file)
  set_property(GLOBAL APPEND PROPERTY ZEN_GENERATED_CORE_SOURCES "${file}")
endfunction()

function(zen_generate_resource_table target)
  get_property(entries GLOBAL PROPERTY ZEN_RESOURCES)
  set(asm "${ZEN_GENERATED_DIR}/resources_blob.S")
  set(table "${ZEN_GENERATED_DIR}/resources_table.cpp")
  set(asm_text "    .section .rodata\n")
  set(decl_text "")
  set(rows_text "")
  set(files "")
  set(index 0)
  foreach(entry ${entries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 type)
    list(GET parts 1 id)
    list(GET parts 2 file)
    list(APPEND files ${file})
    string(APPEND asm_text
      "    .balign 16\n    .global zen_resource_${index}_begin\nzen_resource_${index}_begin:\n"
      "    .incbin \"${file}\"\n    .global zen_resource_${index}_end\nzen_resource_${index}_end:\n"
      "    .byte 0\n")
    string(APPEND decl_text
      "extern \"C\" const unsigned char zen_resource_${index}_begin[];\n"
      "extern \"C\" const unsigned char zen_resource_${index}_end[];\n")
    string(APPEND rows_text
      "    {\"${type}\", ${id}, zen_resource_${index}_begin, zen_resource_${index}_end},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm_text "    .section .note.GNU-stack,\"\",%progbits\n")
  file(WRITE "${asm}.in" "${asm_text}")
  configure_file("${asm}.in" "${asm}" COPYONLY)
  file(WRITE "${table}.in"
    "#include \"platform/ResourceTable.h\"\n\n${decl_text}\n"
    "namespace platform {\n\nconst EmbeddedResourceRow kEmbeddedResources[] = {\n${rows_text}"
    "    {nullptr, 0, nullptr, nullptr},\n};\n\n}  // namespace platform\n")
  configure_file("${table}.in" "${table}" COPYONLY)
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${files}")
  add_library(${target} STATIC "${asm}" "${table}")
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  zen_write_windows_build_inputs()
endfunction()

# The Windows build (cmake/Windows.cmake) runs no generator itself: it reads this list of
# what the native build generates and embeds.
function(zen_write_windows_build_inputs)
  get_property(entries GLOBAL PROPERTY ZEN_RESOURCES)
  get_property(sources GLOBAL PROPERTY ZEN_GENERATED_CORE_SOURCES)
  set(text "# Written by the native build's configuration; read by cmake/Windows.cmake.\n")
  string(APPEND text "set(ZEN_NATIVE_RESOURCES \"${entries}\")\n")
  string(APPEND text "set(ZEN_NATIVE_GENERATED_CORE_SOURCES \"${sources}\")\n")
  file(WRITE "${ZEN_GENERATED_DIR}/windows-build-inputs.cmake.in" "${text}")
  configure_file("${ZEN_GENERATED_DIR}/windows-build-inputs.cmake.in"
    "${ZEN_GENERATED_DIR}/windows-build-inputs.cmake" COPYONLY)
endfunction()
