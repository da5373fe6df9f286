#pragma once

namespace zunka::app {

// zunka --check FILE: reads a class source (Shift_JIS, as stored) and parses it.
// Silent with exit status 0 when it parses. Otherwise prints one line to the
// standard error stream, in UTF-8,
//   文法エラー:PATH:LINE:COLUMN
// where PATH is the argument as given and LINE and COLUMN (both from 1) locate
// the start of the last token the parser accepted; COLUMN counts characters,
// a double-byte character as one. Exit status 1 for a grammar error, 2 for a
// missing argument or an unreadable file.
int runCheckCommand(int argc, char** argv);

}  // namespace zunka::app
