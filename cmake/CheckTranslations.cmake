# Fails when a text a person reads has no English yet: the texts kept as data
# must match what tavelin-texts writes now, and lupdate run over the sources
# into a copy of the .ts must find nothing unfinished. Run by ctest with
# TEXTS_TOOL, TEMPLATE_TEXTS, LUPDATE, PROJECT_IN, PROJECT_SCRIPT, TS, WORK_DIR.
execute_process(COMMAND ${TEXTS_TOOL} OUTPUT_VARIABLE texts RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TEXTS_TOOL} failed: ${status}")
endif()
file(READ ${TEMPLATE_TEXTS} kept)
if(NOT texts STREQUAL kept)
  message(FATAL_ERROR "${TEMPLATE_TEXTS} is stale: write it again with tavelin-texts, "
                      "then build update_translations and translate the new entries")
endif()

file(MAKE_DIRECTORY ${WORK_DIR})
set(project ${WORK_DIR}/project.json)
execute_process(COMMAND ${CMAKE_COMMAND} -DIN_FILE=${PROJECT_IN} -DOUT_FILE=${project}
                        -P ${PROJECT_SCRIPT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the lupdate project could not be written")
endif()
get_filename_component(name ${TS} NAME)
set(copy ${WORK_DIR}/${name})
configure_file(${TS} ${copy} COPYONLY)
execute_process(COMMAND ${LUPDATE} -project ${project} -no-obsolete -locations none -ts ${copy}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed: ${status}")
endif()
file(READ ${copy} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[^<]*(<extracomment>[^<]*</extracomment>[^<]*)?<translation type=\"unfinished\""
       unfinished "${ts}")
set(missing "")
foreach(entry IN LISTS unfinished)
  string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
  string(APPEND missing "\n  ${source}")
endforeach()
if(missing)
  message(FATAL_ERROR "texts without English in ${name} (build update_translations, then "
                      "translate them):${missing}")
endif()
