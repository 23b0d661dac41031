# The settings window's pictures are drawn with the skin gallery's helpers.
target_link_libraries(app_settings_window_gallery_test PRIVATE skingallery)
