# quorvel_layer(NAME DIR [DEPS ...] [EXCLUDE regex ...])
# Builds every .cpp below DIR into the library NAME (${QUORVEL_LIBRARY_KIND}:
# static for the program, shared in test builds). The include root is
# the project root, so headers are included as "platform/core/Geometry.h".
function(quorvel_layer name dir)
  cmake_parse_arguments(L "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
  foreach(rx IN LISTS L_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${rx}")
  endforeach()
  if(NOT srcs)
    set(stub "${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp")
    file(WRITE "${stub}" "// layer ${name} has no sources yet\n")
    set(srcs "${stub}")
  endif()
  add_library(${name} ${QUORVEL_LIBRARY_KIND} ${srcs})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${L_DEPS})
  set_property(GLOBAL APPEND PROPERTY QUORVEL_LAYERS ${name})
endfunction()

# Layer rule: a layer's sources may include only from its own folder and the
# folders of the layers below it. Checked on every build of the layer.
# quorvel_layer_rule(NAME DIR [TARGET tgt] FORBID "dir|dir…"): the check is
# named NAME and runs before target tgt is built (default: NAME itself), so a
# layer may check the folders inside it one by one.
function(quorvel_layer_rule name dir)
  cmake_parse_arguments(L "" "TARGET" "FORBID" ${ARGN})
  if(NOT L_TARGET)
    set(L_TARGET ${name})
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.hpp" "${dir}/*.c")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}_layer_rule.stamp")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -DLAYER=${name} "-DFORBID=${L_FORBID}" "-DFILES=${files}"
            -DSTAMP=${stamp} -P "${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake"
    DEPENDS ${files} "${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake"
    COMMENT "Checking the layer rule of ${name}" VERBATIM)
  add_custom_target(${name}_layer_rule DEPENDS "${stamp}")
  add_dependencies(${L_TARGET} ${name}_layer_rule)
endfunction()
