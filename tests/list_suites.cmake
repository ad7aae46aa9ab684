# Writes OUT: one ctest test per test suite that PROGRAM lists (see suite_tests.cmake),
# each run in WORKDIR. Disabled suites are left out, as the test framework leaves them.
execute_process(COMMAND ${PROGRAM} --gtest_list_tests
  WORKING_DIRECTORY ${WORKDIR} TIMEOUT 60
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${rc}):\n${listing}${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(count 0)
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends with a dot, before any comment
  # ("Typed/0.  # TypeParam = int"); its cases follow, indented.
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite ${CMAKE_MATCH_1})
    if(NOT suite MATCHES "^DISABLED_" AND NOT suite MATCHES "/DISABLED_")
      string(APPEND script
        "add_test([==[${suite}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
        "set_tests_properties([==[${suite}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKDIR}]==])\n")
      math(EXPR count "${count} + 1")
    endif()
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} lists no test suite:\n${listing}")
endif()
file(WRITE ${OUT} "${script}")
