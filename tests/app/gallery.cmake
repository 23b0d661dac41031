# The windows gallery test draws through the program gallery's library.
target_link_libraries(app_windows_gallery_test PRIVATE programgallery)
