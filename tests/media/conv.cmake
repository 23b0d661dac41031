# Frame-hook libraries of the hook tests: complete, without "Configure", without "Process".
foreach(v blank noconf noproc)
  add_library(conv_hook_${v} SHARED "${CMAKE_CURRENT_LIST_DIR}/conv_hook.c")
  set_target_properties(conv_hook_${v} PROPERTIES OUTPUT_NAME "quorvel_hook_${v}")
endforeach()
target_compile_definitions(conv_hook_noconf PRIVATE NO_CONFIGURE)
target_compile_definitions(conv_hook_noproc PRIVATE NO_PROCESS)
file(GLOB conv_hook_tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/hook_*_test.cpp")
foreach(src IN LISTS conv_hook_tests)
  get_filename_component(n "${src}" NAME_WE)
  set(t media_${n})
  if(TARGET ${t})
    add_dependencies(${t} conv_hook_blank conv_hook_noconf conv_hook_noproc)
    target_compile_definitions(${t} PRIVATE
      QUORVEL_HOOK_BLANK="$<TARGET_FILE:conv_hook_blank>"
      QUORVEL_HOOK_NOCONF="$<TARGET_FILE:conv_hook_noconf>"
      QUORVEL_HOOK_NOPROC="$<TARGET_FILE:conv_hook_noproc>")
  endif()
endforeach()
