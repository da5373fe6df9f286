# Runs one script test: zunka --run SCRIPT, then compares standard output with
# SCRIPT's .expected file (and the exit status with its .status file, 0 when none).
# The classes in a folder named after the script come first (--class), by name.
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
file(GLOB helpers ${dir}/${name}/*.zunka)
list(SORT helpers)
set(class_args)
foreach(helper ${helpers})
  list(APPEND class_args --class ${helper})
endforeach()
execute_process(COMMAND ${ZUNKA} ${class_args} --run ${SCRIPT}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
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
