# The skinned-form display test asks the X server for its window's shape.
target_sources(skin_stored_skinform_xvfb_test PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/skin/stored/x11_shape.cpp")
