# The tests of the stored skins link the generated skins, the generator and
# the gallery, and find the generated .skn files in <build>/skins.
file(GLOB stored_tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/stored/*_test.cpp")
foreach(src IN LISTS stored_tests)
  get_filename_component(name "${src}" NAME_WE)
  target_link_libraries(skin_stored_${name} PRIVATE storedskins skingenlib skingallery)
  target_compile_definitions(skin_stored_${name} PRIVATE QUORVEL_SKINS_DIR="${QUORVEL_SKINS_DIR}")
  add_dependencies(skin_stored_${name} stored_skin_files)
endforeach()
# The gallery test reads the pages the build renders.
add_dependencies(skin_stored_gallery_test skin_gallery_pages)
target_compile_definitions(skin_stored_gallery_test PRIVATE QUORVEL_GALLERY_DIR="${QUORVEL_GALLERY_DIR}")
