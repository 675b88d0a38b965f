# A build places the starter database only where none is: an existing Recipe.mdb, whatever it
# holds, is left byte for byte as it was, and the starter tool itself refuses to overwrite.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(db "${WORK}/Recipe.mdb")

# No file yet: the starter database is made, and it is one of ours.
execute_process(COMMAND ${CMAKE_COMMAND} -DTOOL=${TOOL} -DTARGET_DB=${db} -P ${PLACE}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${db}")
  message(FATAL_ERROR "the starter database was not placed")
endif()
file(READ "${db}" header LIMIT 15 HEX)
if(NOT header STREQUAL "53514c69746520666f726d61742033")
  message(FATAL_ERROR "the starter database is not an SQLite file")
endif()

# A person's own file is never overwritten, by a build or by the tool.
file(WRITE "${db}" "years of recipes")
file(SHA256 "${db}" before)
execute_process(COMMAND ${CMAKE_COMMAND} -DTOOL=${TOOL} -DTARGET_DB=${db} -P ${PLACE}
                RESULT_VARIABLE rc)
execute_process(COMMAND ${TOOL} ${db} RESULT_VARIABLE tool_rc ERROR_QUIET)
file(SHA256 "${db}" after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "an existing Recipe.mdb was overwritten")
endif()
if(tool_rc EQUAL 0)
  message(FATAL_ERROR "the starter tool did not refuse an existing file")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "1 passed, 0 failed")
