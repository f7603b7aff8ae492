# Makes the manual page OUTPUT (NAME.1.gz) of the program PROGRAM, installed
# as NAME, from its --help and --version with HELP2MAN, adding INCLUDE:
#   cmake -DPROGRAM=... -DNAME=... -DHELP2MAN=... -DINCLUDE=... -DOUTPUT=... -P man_page.cmake
# The program runs under its installed name, so the page shows that name.
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir}/bin)
set(program ${dir}/bin/${NAME})
file(CREATE_LINK ${PROGRAM} ${program} SYMBOLIC)

# The NAME line's summary: the first sentence of the description that
# follows the usage line, begun in lower case as summaries are.
execute_process(COMMAND ${program} --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NAME} --help failed (${result})")
endif()
string(REGEX MATCH "^[^\n]*\n([^\n]+)" unused "${help}")
string(REGEX REPLACE "\\. .*" "" summary "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\\.$" "" summary "${summary}")
string(SUBSTRING "${summary}" 0 1 first)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(summary "${first}${rest}")

set(page ${dir}/${NAME}.1)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8
          ${HELP2MAN} --no-info --section=1 --name=${summary} --include=${INCLUDE}
          --output=${page} ${program}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${NAME} (${result})")
endif()
# Without a name and time stamp in the header: the same page gives the same bytes.
execute_process(COMMAND gzip -9n -f ${page} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page}")
endif()
