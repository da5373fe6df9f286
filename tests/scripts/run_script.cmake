# Runs one script test: zunka --run SCRIPT, then compares standard output with
# SCRIPT's .expected file (and the exit status with its .status file, 0 when none).
execute_process(COMMAND ${ZUNKA} --run ${SCRIPT}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
file(READ ${dir}/${name}.expected expected)
set(wanted_status 0)
if(EXISTS ${dir}/${name}.status)
  file(STRINGS ${dir}/${name}.status wanted_status)
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "output differs\n--- expected\n${expected}--- got\n${out}--- stderr\n${err}")
endif()
if(NOT status EQUAL wanted_status)
  message(FATAL_ERROR "exit status ${status}, expected ${wanted_status}\n${err}")
endif()
