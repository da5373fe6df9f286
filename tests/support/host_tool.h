#pragma once
#include <string>
#include <string_view>

// Runs a command line through the shell with `input` on its standard input and
// returns its standard output; throws std::runtime_error when it fails. Tests use it
// to ask tools nobody here wrote (perl, iconv) for the expected answer.
std::string runHostTool(const std::string& command, std::string_view input);
