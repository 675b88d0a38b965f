# Places the starter database at TARGET_DB unless a file is already there.
if(EXISTS "${TARGET_DB}")
  return()
endif()
execute_process(COMMAND "${TOOL}" "${TARGET_DB}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not make the starter database ${TARGET_DB}")
endif()
