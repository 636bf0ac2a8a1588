# Runs BINARY (through EMULATOR, when that is set) with CASE.in on standard
# input and the arguments in CASE.args, then compares every byte of standard
# output with CASE.out and the exit status with CASE.status (0 when absent). With OUTPUT set, standard output goes there
# instead and only the exit status (EXPECTED_STATUS) is checked.
set(arguments "")
if(EXISTS ${CASE}.args)
  file(READ ${CASE}.args argument_text)
  separate_arguments(arguments UNIX_COMMAND "${argument_text}")
endif()
if(NOT DEFINED EXPECTED_STATUS)
  set(EXPECTED_STATUS 0)
  if(EXISTS ${CASE}.status)
    file(READ ${CASE}.status EXPECTED_STATUS)
    string(STRIP "${EXPECTED_STATUS}" EXPECTED_STATUS)
  endif()
endif()
if(NOT DEFINED OUTPUT)
  get_filename_component(name ${CASE} NAME)
  file(MAKE_DIRECTORY ${WORK})
  set(OUTPUT ${WORK}/${name}.actual)
  set(compare TRUE)
endif()

execute_process(COMMAND ${EMULATOR} ${BINARY} ${arguments}
  INPUT_FILE ${CASE}.in OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)

set(failed FALSE)
if(compare)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${CASE}.out ${OUTPUT}
    RESULT_VARIABLE different)
  if(different)
    message("Standard output differs from ${CASE}.out:")
    execute_process(COMMAND diff -u ${CASE}.out ${OUTPUT})
    set(failed TRUE)
  endif()
endif()
if(NOT "${status}" STREQUAL "${EXPECTED_STATUS}")
  message("Exit status ${status}, expected ${EXPECTED_STATUS}")
  set(failed TRUE)
endif()
if(failed)
  message(FATAL_ERROR "golden case ${CASE} failed")
endif()
