# Embedded resources: a table name + type -> bytes, compiled into the program.
# resources/resources.list holds one resource per line: NAME TYPE PATH
# (PATH relative to resources/, or @build/... for a file made at build time).

find_program(MSGFMT_PROGRAM msgfmt REQUIRED)

function(velk_resource_library target list_file)
  file(STRINGS ${list_file} _lines REGEX "^[^#].*")
  set(_asm "${CMAKE_BINARY_DIR}/generated/resources_data.S")
  set(_cpp "${CMAKE_BINARY_DIR}/generated/resources_table.cpp")
  set(_asm_text "    .section .rodata\n")
  set(_cpp_text "// Generated from resources/resources.list; do not edit.\n#include \"platform/resources.h\"\n#include <cstddef>\nextern \"C\" {\n")
  set(_entries "")
  set(_deps "")
  set(_i 0)
  foreach(_line IN LISTS _lines)
    string(STRIP "${_line}" _line)
    if(_line STREQUAL "")
      continue()
    endif()
    separate_arguments(_parts UNIX_COMMAND "${_line}")
    list(GET _parts 0 _name)
    list(GET _parts 1 _type)
    list(GET _parts 2 _path)
    if(_path MATCHES "^@build/(.*)")
      set(_path "${CMAKE_BINARY_DIR}/${CMAKE_MATCH_1}")
    else()
      set(_path "${CMAKE_SOURCE_DIR}/resources/${_path}")
    endif()
    list(APPEND _deps ${_path})
    string(APPEND _asm_text "    .global velk_res_${_i}\n    .balign 16\nvelk_res_${_i}:\n    .incbin \"${_path}\"\n    .global velk_res_${_i}_end\nvelk_res_${_i}_end:\n    .byte 0\n")
    string(APPEND _cpp_text "extern const unsigned char velk_res_${_i}[];\nextern const unsigned char velk_res_${_i}_end[];\n")
    string(APPEND _entries "    {\"${_name}\", \"${_type}\", velk_res_${_i}, static_cast<std::size_t>(velk_res_${_i}_end - velk_res_${_i})},\n")
    math(EXPR _i "${_i} + 1")
  endforeach()
  string(APPEND _asm_text "    .section .note.GNU-stack,\"\",@progbits\n")
  string(APPEND _cpp_text "}\nnamespace platform {\nconst embedded_resource embedded_resource_table[] = {\n${_entries}    {nullptr, nullptr, nullptr, 0}};\n}\n")
  file(CONFIGURE OUTPUT ${_asm} CONTENT "${_asm_text}")
  file(CONFIGURE OUTPUT ${_cpp} CONTENT "${_cpp_text}")
  set_source_files_properties(${_asm} PROPERTIES OBJECT_DEPENDS "${_deps}")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  add_library(${target} STATIC ${_asm} ${_cpp})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# A translation catalogue is compiled from its .po at build time; `target`
# names the step that makes it.
function(velk_compile_catalogue target po mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${MSGFMT_PROGRAM} --check-format -o ${mo} ${po}
    DEPENDS ${po} VERBATIM)
  add_custom_target(${target} DEPENDS ${mo})
endfunction()
