# Runs one project test: a fresh base directory holding the kernel and a copy of
# the project as Usr, then zunka --headless --frames N --base DIR [--replay
# input.log] [PAGE] (the input log when the project has one); standard
# output must equal the project's expected.txt (or EXPECTED). N is FRAMES or read
# from frames.txt, PAGE (optional) from page.txt.
file(REMOVE_RECURSE ${BASE})
file(MAKE_DIRECTORY ${BASE})
file(CREATE_LINK ${SOURCE_DIR}/kernel ${BASE}/kernel SYMBOLIC)
# What a game saved while it was played from the source tree stays behind.
file(COPY ${PROJECT}/ DESTINATION ${BASE}/Usr PATTERN files EXCLUDE)
if(NOT DEFINED EXPECTED)
  set(EXPECTED ${PROJECT}/expected.txt)
endif()
if(NOT DEFINED FRAMES)
  file(STRINGS ${PROJECT}/frames.txt FRAMES)
endif()
set(page "")
if(EXISTS ${PROJECT}/page.txt)
  file(STRINGS ${PROJECT}/page.txt page_name)
  set(page ${BASE}/Usr/${page_name})
endif()
# A project with an input log plays it.
set(replay "")
if(EXISTS ${PROJECT}/input.log)
  set(replay --replay ${PROJECT}/input.log)
endif()
execute_process(COMMAND ${ZUNKA} --headless --frames ${FRAMES} --base ${BASE} ${replay} ${page}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "output differs\n--- expected\n${expected}--- got\n${out}--- stderr\n${err}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}\n${err}")
endif()
