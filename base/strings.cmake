# The string table (base/strings.txt) is compiled into kel_base: a source
# generated from it at build time holds its bytes, which string_table.cpp
# parses on first use.
set(KEL_STRINGS_TXT ${CMAKE_SOURCE_DIR}/base/strings.txt)
set(KEL_STRINGS_CPP ${CMAKE_BINARY_DIR}/generated/base/string_table_data.cpp)
add_custom_command(
  OUTPUT ${KEL_STRINGS_CPP}
  COMMAND ${CMAKE_COMMAND} -DIN=${KEL_STRINGS_TXT} -DOUT=${KEL_STRINGS_CPP}
          -P ${CMAKE_SOURCE_DIR}/base/embed_strings.cmake
  DEPENDS ${KEL_STRINGS_TXT} ${CMAKE_SOURCE_DIR}/base/embed_strings.cmake
  COMMENT "Embedding the string table"
  VERBATIM)
target_sources(kel_base PRIVATE ${KEL_STRINGS_CPP})
