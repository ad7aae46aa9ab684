# Writes OUT: one ctest test per test suite that PROGRAM lists (see suite_tests.cmake),
# each run in WORKDIR; the suites named in CASE_BY_CASE (comma-separated) give one test
# per case instead. Disabled suites and cases are left out, as the test framework
# leaves them.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" case_by_case "${CASE_BY_CASE}")
execute_process(COMMAND ${PROGRAM} --gtest_list_tests
  WORKING_DIRECTORY ${WORKDIR} TIMEOUT 60
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${rc}):\n${listing}${errors}")
endif()
# The comments after names ("  # GetParam() = ...") go first: they may hold the
# brackets and semicolons that would break the list of lines.
string(REGEX REPLACE "  #[^\n]*" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(count 0)
macro(add_one name filter)
  string(APPEND script
    "add_test([==[${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${filter}]==])\n"
    "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKDIR}]==])\n")
  math(EXPR count "${count} + 1")
endmacro()
set(suite "")
set(by_case FALSE)
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends with a dot; its cases follow,
  # indented.
  if(line MATCHES "^([^ ]+)\\.$")
    set(suite ${CMAKE_MATCH_1})
    set(by_case FALSE)
    if(suite MATCHES "(^|/)DISABLED_")
      set(suite "")
    elseif(suite IN_LIST case_by_case)
      set(by_case TRUE)
    else()
      add_one("${suite}" "${suite}.*")
    endif()
  elseif(by_case AND line MATCHES "^  ([^ ]+)")
    set(case ${CMAKE_MATCH_1})
    if(NOT case MATCHES "^DISABLED_")
      add_one("${suite}.${case}" "${suite}.${case}")
    endif()
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} lists no test suite:\n${listing}")
endif()
file(WRITE ${OUT} "${script}")
