# Writes the manual page of one program from its --help and --version with
# help2man, and a compressed copy for installation:
#   cmake -DPROGRAM=EXE -DOUTPUT=DIR/NAME.1 -DHELP2MAN=PATH -P ManPage.cmake
# The second line of the program's --help is its one-line summary, which
# becomes the page's NAME line.
foreach(v PROGRAM OUTPUT HELP2MAN)
  if(NOT ${v})
    message(FATAL_ERROR "ManPage.cmake: ${v} is not set")
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()
if(NOT help MATCHES "^Usage:[^\n]*\n([^\n]+)\n")
  message(FATAL_ERROR "${PROGRAM} --help does not start with a usage line and a summary")
endif()
set(summary "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\\.$" "" summary "${summary}")
string(SUBSTRING "${summary}" 0 1 first)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(summary "${first}${rest}")

execute_process(COMMAND "${HELP2MAN}" --no-info --section=1 "--name=${summary}" "--output=${OUTPUT}.tmp" "${PROGRAM}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
# -n: no name or time stamp in the compressed file, so builds are reproducible.
execute_process(COMMAND gzip -9 -n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz.tmp" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.gz.tmp" "${OUTPUT}.gz")
