# zolm_add_test(NAME SOURCE...)
#
# One GoogleTest executable, linked to zolm_lib and gtest_main, its tests
# registered with ctest; tests/ is on the include path for shared helpers
# ("support/..."). Test ROM images are built first; the code finds them
# under the path in the ZOLM_TEST_ROM_DIR macro. Sources are relative to the
# calling folder.
function(zolm_add_test name)
  if(NOT ARGN)
    message(FATAL_ERROR "zolm_add_test(${name}): no sources")
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE zolm_lib GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE ZOLM_TEST_ROM_DIR="${ZOLM_TEST_ROM_DIR}")
  add_dependencies(${name} test_rom_images)
  gtest_discover_tests(${name})
endfunction()
