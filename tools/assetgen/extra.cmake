# Included by tools/CMakeLists.txt right after the assetgen target is made.
# assetgen draws with Cairo and writes cut-scenes through FFmpeg. It runs at
# every build whose generator changed and must stay fast even in the
# sanitized build, so its own code is optimised and left uninstrumented (the
# game's readers that load its output are tested sanitized in test_assets).
target_link_libraries(assetgen PRIVATE PkgConfig::CAIRO PkgConfig::FFMPEG ZLIB::ZLIB)
target_compile_options(assetgen PRIVATE -O2 -fno-sanitize=all)

# In the sanitized build the generator would still link the instrumented
# libraries and the sanitizer's allocator, and run three times slower (a
# second whole generation is also one of the asset tests). So there it links
# an uninstrumented, optimised copy of the few library files it uses: the
# writers and readers of the formats, the maze's level tables and the derby's
# track, and what those are built on. Nothing of this copy reaches the game or
# the tests: they keep the instrumented libraries.
if(KEL_SANITIZE)
  file(GLOB_RECURSE gen_lib_srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/base/*.cpp ${CMAKE_SOURCE_DIR}/platform/*.cpp
       ${CMAKE_SOURCE_DIR}/graphics/*.cpp ${CMAKE_SOURCE_DIR}/scene3d/*.cpp
       ${CMAKE_SOURCE_DIR}/events/maze3d/rc_*.cpp)
  add_library(kel_assetgen_plain STATIC ${gen_lib_srcs} ${KEL_STRINGS_CPP}
              ${CMAKE_SOURCE_DIR}/screen/config.cpp ${CMAKE_SOURCE_DIR}/events/roller_derby/derby_track.cpp)
  target_include_directories(kel_assetgen_plain PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(kel_assetgen_plain PUBLIC ZLIB::ZLIB Threads::Threads PkgConfig::SDL2 PkgConfig::PNG
                        PkgConfig::FREETYPE)
  foreach(t kel_assetgen_plain assetgen)
    get_target_property(opts ${t} COMPILE_OPTIONS)
    list(FILTER opts EXCLUDE REGEX "^-fsanitize")
    set_property(TARGET ${t} PROPERTY COMPILE_OPTIONS ${opts} -O2 -fno-sanitize=all)
    get_target_property(defs ${t} COMPILE_DEFINITIONS)
    if(defs)
      list(FILTER defs EXCLUDE REGEX "^KEL_SANITIZE")
      set_property(TARGET ${t} PROPERTY COMPILE_DEFINITIONS ${defs})
    endif()
    set_property(TARGET ${t} PROPERTY LINK_OPTIONS "")
  endforeach()
  set_property(TARGET assetgen PROPERTY LINK_LIBRARIES
               kel_assetgen_plain PkgConfig::CAIRO PkgConfig::FFMPEG ZLIB::ZLIB)
endif()

set(KEL_GAMEDATA_DIR ${CMAKE_BINARY_DIR}/gamedata)
set(KEL_GAMEDATA_STAMP ${CMAKE_BINARY_DIR}/gamedata.stamp)
add_custom_command(
  OUTPUT ${KEL_GAMEDATA_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KEL_GAMEDATA_DIR}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:assetgen> ${KEL_GAMEDATA_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${KEL_GAMEDATA_STAMP}
  DEPENDS assetgen
  COMMENT "Generating the default game data in ${KEL_GAMEDATA_DIR}"
  VERBATIM)
add_custom_target(gamedata ALL DEPENDS ${KEL_GAMEDATA_STAMP})

# PNG contact sheets of every picture and cut-scene, for a person to look at:
# `cmake --build <build dir> --target contact-sheets` (not part of the build).
add_custom_target(contact-sheets
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:assetgen> --contact-sheets
          ${KEL_GAMEDATA_DIR} ${CMAKE_BINARY_DIR}/contact-sheets
  DEPENDS gamedata
  COMMENT "Writing contact sheets of the default data to ${CMAKE_BINARY_DIR}/contact-sheets"
  VERBATIM)

# The asset tests (tests/assets) also check the encoders and the parts'
# output directly: they get those as a small library, the generated tree and the generator
# itself. The test target is made after this file, so the wiring waits for
# the end of the configuration.
add_library(kel_assetgen_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/image.cpp ${CMAKE_CURRENT_LIST_DIR}/writers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output.cpp ${CMAKE_CURRENT_LIST_DIR}/jobs.cpp)
target_include_directories(kel_assetgen_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kel_assetgen_core PUBLIC PkgConfig::CAIRO kel_graphics kel_base)

function(kel_wire_asset_tests)
  if(TARGET test_assets)
    target_link_libraries(test_assets PRIVATE kel_assetgen_core PkgConfig::FFMPEG)
    target_compile_definitions(test_assets PRIVATE
      KEL_GAMEDATA_DIR="${CMAKE_BINARY_DIR}/gamedata" KEL_ASSETGEN="$<TARGET_FILE:assetgen>")
    add_dependencies(test_assets gamedata)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL kel_wire_asset_tests)

# The maze engine's tests read the generated levels and navigation files.
function(kel_wire_maze_tests)
  if(TARGET test_maze3d)
    target_compile_definitions(test_maze3d PRIVATE KEL_GAMEDATA_DIR="${CMAKE_BINARY_DIR}/gamedata")
    add_dependencies(test_maze3d gamedata)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL kel_wire_maze_tests)
