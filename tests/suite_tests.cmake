# One ctest test per test suite of a test program, not one per test case: every case
# still runs (the suite's test runs the program with --gtest_filter=SUITE.*) and a
# failing case is named in the suite's output, but each program starts a few hundred
# times instead of a thousand, which matters most under the sanitizers, where a start
# costs a fifth of a second. Suites are still many and small, so ctest spreads them.
#
# The few suites whose cases each take long under the sanitizers run case by case
# (tests named SUITE.CASE), so that no test takes long and ctest spreads their cases.
#
# The suites are listed after each build of the program (the list follows the sources)
# into a file that ctest reads; until the program is built, a test that fails says so.
set(KES_LIST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/list_suites.cmake)
set(KES_SUITES_CASE_BY_CASE StatementReference/DeviceOnlyOptions TemplateScale)

function(kes_add_suite_tests target)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_include.cmake)
  list(JOIN KES_SUITES_CASE_BY_CASE "," case_by_case)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D PROGRAM=$<TARGET_FILE:${target}> -D OUT=${list_file}
            -D WORKDIR=${CMAKE_BINARY_DIR} -D CASE_BY_CASE=${case_by_case} -P ${KES_LIST_SUITES_SCRIPT}
    BYPRODUCTS ${list_file}
    VERBATIM)
  file(WRITE ${include_file}
    "if(EXISTS \"${list_file}\")\n"
    "  include(\"${list_file}\")\n"
    "else()\n"
    "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
