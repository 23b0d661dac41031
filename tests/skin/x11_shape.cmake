# The skinned-form display test asks the X server for its window's shape.
target_sources(skin_stored_skinform_xvfb_test PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/skin/stored/x11_shape.cpp")
# Xlib's names (Screen, None, Bool) clash with the precompiled platform headers.
set_source_files_properties("${CMAKE_CURRENT_SOURCE_DIR}/skin/stored/x11_shape.cpp"
  PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
