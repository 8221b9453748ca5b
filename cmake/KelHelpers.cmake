# In the sanitized test build the game's libraries are compiled with -O1, as
# the sanitizers' makers advise: every check stays, and the tests, which spend
# most of their time in the game's drawing and rules, take a third less time.
# The test programs themselves stay at -O0 (they are large and cold, and
# optimising them costs more compile time than it saves).
function(kel_optimise_sanitized target)
  if(KEL_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_options(${target} PRIVATE -O1)
  endif()
endfunction()

# kel_library(<target> <folder> <deps...>)
# One static library per folder: every .cpp directly in the folder (and in its
# sub-folders), except main.cpp, which belongs to an executable. A folder with no
# sources yet becomes an interface library so that dependants still link.
function(kel_library target folder)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    kel_optimise_sanitized(${target})
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
  kel_remember_library(${target} ${folder} ${ARGN})
endfunction()

# Every kel_library remembers its folder and the libraries it is built on, so
# that kel_check_layers can tell what each may include.
function(kel_remember_library target folder)
  set(deps "")
  foreach(dep ${ARGN})
    if(dep MATCHES "^kel_")
      list(APPEND deps ${dep})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KEL_LIBRARIES ${target})
  set_property(GLOBAL PROPERTY KEL_FOLDER_${target} ${folder})
  set_property(GLOBAL PROPERTY KEL_DEPS_${target} ${deps})
endfunction()

# The libraries `target` is built on, directly or through another.
function(kel_library_closure target out)
  set(seen "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    get_property(deps GLOBAL PROPERTY KEL_DEPS_${t})
    foreach(dep ${deps})
      if(NOT dep IN_LIST seen)
        list(APPEND seen ${dep})
        list(APPEND todo ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# kel_check_layers(PROGRAMS <folders> FORBIDDEN <folders> SDL <folders>)
# Writes <build>/layers.txt from the kel_library calls made so far and makes
# every build run cmake/CheckLayers.cmake over the libraries and programs: a
# library that includes a header of a library it is not built on (one to its
# right), of a program or of FORBIDDEN, or SDL outside the SDL folders, fails
# the build.
function(kel_check_layers)
  cmake_parse_arguments(arg "" "" "PROGRAMS;FORBIDDEN;SDL" ${ARGN})
  set(text "# Made by kel_check_layers (cmake/KelHelpers.cmake); read by cmake/CheckLayers.cmake.\n")
  set(sources "")
  get_property(libs GLOBAL PROPERTY KEL_LIBRARIES)
  foreach(lib ${libs})
    get_property(folder GLOBAL PROPERTY KEL_FOLDER_${lib})
    kel_library_closure(${lib} closure)
    set(allowed "")
    foreach(dep ${closure})
      get_property(dep_folder GLOBAL PROPERTY KEL_FOLDER_${dep})
      list(APPEND allowed ${dep_folder})
    endforeach()
    list(SORT allowed)
    list(JOIN allowed " " allowed)
    string(APPEND text "lib ${folder} ${allowed}\n")
    list(APPEND sources ${folder})
  endforeach()
  foreach(kind PROGRAMS FORBIDDEN SDL)
    string(TOLOWER ${kind} word)
    string(REGEX REPLACE "s$" "" word ${word})
    foreach(folder ${arg_${kind}})
      string(APPEND text "${word} ${folder}\n")
    endforeach()
  endforeach()
  list(APPEND sources ${arg_PROGRAMS})
  set(layers ${CMAKE_BINARY_DIR}/layers.txt)
  file(WRITE ${layers}.new "${text}")
  configure_file(${layers}.new ${layers} COPYONLY)  # touched only when it changes
  set(files "")
  foreach(folder ${sources})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h
         ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
    list(APPEND files ${found})
  endforeach()
  set(stamp ${CMAKE_BINARY_DIR}/layers.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DLAYERS=${layers}
            -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${files} ${layers} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking that every library includes only the libraries below it"
    VERBATIM)
  add_custom_target(kel_layers ALL DEPENDS ${stamp})
endfunction()
