# Read by ctest after the discovered tests of test_app: each test under an X
# server runs a server and the program, so it takes three of ctest's slots
# (with -j8 at most two run at once beside the others).
foreach(test IN LISTS test_app_TESTS)
  if(test MATCHES "^Window(Boxes)?\\.")
    set_tests_properties(${test} PROPERTIES PROCESSORS 3)
  endif()
endforeach()
