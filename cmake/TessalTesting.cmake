# tessal_add_test(NAME name SOURCES ... LIBS ... [PROPERTIES ...])
# One GoogleTest executable per module; its cases are discovered into CTest. The
# discovery passes the properties on as one list: an ENVIRONMENT property keeps only its
# first "NAME=value", so a test that needs more sets them itself (the installation's
# desktop folders, the offscreen platform in the GUI tests' main).
function(tessal_add_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_TIMEOUT 30
    PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
endfunction()
