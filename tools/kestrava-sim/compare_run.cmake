# Runs the simulator on a scenario and compares its output with the expected files: the event log
# byte for byte, the statistics log byte for byte apart from line ends (CR LF on Windows).
#
#   cmake -DSIM=<program> [-DEMULATOR=<runner>] -DSCENARIO=<file.json> -DOUT=<folder>
#         -DEXPECTED_EVENTS=<file> -DCSV_NAME=<name> -DEXPECTED_CSV=<file> -P compare_run.cmake
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND ${EMULATOR} "${SIM}" "${SCENARIO}" --out "${OUT}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kestrava-sim exited with ${result}\n${output}\n${errors}")
endif()

function(compare actual_file expected_file what)
  if(NOT EXISTS "${actual_file}")
    message(FATAL_ERROR "${what}: ${actual_file} was not written\n${output}")
  endif()
  file(READ "${actual_file}" actual)
  file(READ "${expected_file}" expected)
  if(ARGN)
    string(REPLACE "\r\n" "\n" actual "${actual}")
  endif()
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what} differs from ${expected_file}\n--- written:\n${actual}\n"
                        "--- expected:\n${expected}")
  endif()
endfunction()

compare("${OUT}/events.jsonl" "${EXPECTED_EVENTS}" "the event log")
compare("${OUT}/${CSV_NAME}" "${EXPECTED_CSV}" "the statistics log" IGNORE_LINE_ENDS)
message(STATUS "kestrava-sim wrote the expected events and statistics log")
