# Every preset of the format catalogue converts a short clip: a long table,
# labelled "catalogue" (not "app") so it can run alone.
add_executable(app_catalogue_convert "${CMAKE_CURRENT_LIST_DIR}/catalogue_convert.cpp")
target_link_libraries(app_catalogue_convert PRIVATE appcore quorvel_test_main GTest::gmock)
target_include_directories(app_catalogue_convert PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_definitions(app_catalogue_convert PRIVATE ${QUORVEL_TEST_DEFINITIONS})
target_precompile_headers(app_catalogue_convert REUSE_FROM app_test_pch)
gtest_discover_tests(app_catalogue_convert DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS "catalogue" TIMEOUT 300 FIXTURES_REQUIRED media_files)
