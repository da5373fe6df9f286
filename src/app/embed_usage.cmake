# Writes OUTPUT, a C++ source defining the --help text of usage.txt (INPUT) as a
# byte array (run with cmake -P, so the build needs no other tool). The same text
# makes the manual page (tools/make_man_page.py).
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']*',){16})" "\\1\n    " bytes "${bytes}")
set(text "// Generated from usage.txt; do not edit.\n")
string(APPEND text "#include \"app/usage_text.h\"\n\nnamespace zunka::app {\n\n")
string(APPEND text "const char kUsageText[] = {\n    ${bytes}'\\0'};\n\n")
string(APPEND text "}  // namespace zunka::app\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
