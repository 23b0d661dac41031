# The demo form as a program of its own (scripts/screenshot.sh, by hand).
add_executable(x11_demo "${CMAKE_CURRENT_SOURCE_DIR}/platform/x11_demo.cpp")
target_link_libraries(x11_demo PRIVATE platform)
target_include_directories(x11_demo PRIVATE "${PROJECT_SOURCE_DIR}")
