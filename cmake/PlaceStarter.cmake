# Places the starter database at TARGET_DB unless a file is already there.
if(EXISTS "${TARGET_DB}")
  return()
endif()
execute_process(COMMAND "${TOOL}" "${TARGET_DB}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  # A half-made file would be taken for the starter by the next build.
  file(REMOVE "${TARGET_DB}")
  message(FATAL_ERROR "could not make the starter database ${TARGET_DB}")
endif()
