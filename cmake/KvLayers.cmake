# Runs the layer check whenever a source or header of a checked folder changes,
# before any library is compiled, so an upward include stops the build.
set(kv_layer_files "")
foreach(folder base support knowledge project app mapdraw ui cli newscout)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  list(APPEND kv_layer_files ${files})
endforeach()
set(kv_layer_stamp ${CMAKE_BINARY_DIR}/layers.stamp)
add_custom_command(
  OUTPUT ${kv_layer_stamp}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DSTAMP=${kv_layer_stamp}
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  DEPENDS ${kv_layer_files} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking the layer order of the includes"
  VERBATIM)
add_custom_target(kv_layer_check DEPENDS ${kv_layer_stamp})
