// For programs whose main() is not the player's (tests, benchmarks, fuzzers): one player
// context for the whole run, made before main() and gone after everything made
// later (test worlds kept in function statics), as the player's main() makes it.
#include "app/player_context.h"

namespace {
zunka::app::PlayerContext context;
}  // namespace
