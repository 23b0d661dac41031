# Helper targets of the loader, logger, protocol, utilities and probe tests.
add_library(eng1_fakelib SHARED "${CMAKE_CURRENT_LIST_DIR}/eng1_fakelib.c")
set_target_properties(eng1_fakelib PROPERTIES OUTPUT_NAME "quorvel_fakelib")
foreach(t media_loader_test media_logger_test)
  if(TARGET ${t})
    add_dependencies(${t} eng1_fakelib)
    target_compile_definitions(${t} PRIVATE QUORVEL_FAKELIB="$<TARGET_FILE:eng1_fakelib>")
  endif()
endforeach()
