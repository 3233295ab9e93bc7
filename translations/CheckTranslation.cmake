# Runs lupdate over the sources into a copy of one .ts file and fails when a
# text is missing from the file or not finished, or when lupdate cannot tell
# a text's context (such a text would never be translated at run time).
# Arguments: LUPDATE, OPTIONS, SOURCES (lists), TS (the file in the tree) and
# COPY (where the copy goes).
cmake_minimum_required(VERSION 3.25)
get_filename_component(folder ${COPY} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(COPY_FILE ${TS} ${COPY})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${COPY}
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${status}):\n${output}")
endif()
# lupdate's warnings name a source line: "file.cpp:12: tr() cannot be called
# without context".
string(REGEX MATCHALL "[^\n]*\\.(cpp|h|ui):[0-9]+: [^\n]*" warnings "${output}")
if(warnings)
  string(REPLACE ";" "\n" warnings "${warnings}")
  message(FATAL_ERROR "lupdate cannot place these texts:\n${warnings}")
endif()
file(READ ${COPY} content)
set(unfinished "")
set(count 0)
while(TRUE)
  string(FIND "${content}" "</message>" end)
  if(end EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${content}" 0 ${end} message)
  math(EXPR end "${end} + 10")
  string(SUBSTRING "${content}" ${end} -1 content)
  if(message MATCHES "type=\"unfinished\"")
    math(EXPR count "${count} + 1")
    string(REGEX MATCH "<source>[^<]*</source>" source "${message}")
    string(APPEND unfinished "${source}\n")
  endif()
endwhile()
if(count GREATER 0)
  get_filename_component(name ${TS} NAME)
  message(FATAL_ERROR "${count} text(s) without a finished translation in ${name} "
          "(run the update_translations target, then translate them):\n${unfinished}")
endif()
