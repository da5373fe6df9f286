#pragma once
#include <array>
#include <cstdint>

#include "shell/host_state.h"

namespace zunka {

class FrameLoop;

// Key counters of getkey: held counts per virtual key, each key sampled at most
// once per frame; and which keys are down now, as the window's key events (or a
// replayed input log) say.
struct KeyboardSampling {
  std::array<int32_t, 256> counters{};
  std::array<bool, 256> sampled{};
  std::array<bool, 256> down{};
};

// Everything the shell keeps for one player: the frame loop's and the window's
// state, the frame loop in use and the key counters. The player context owns it.
struct ShellState {
  HostState host;
  FrameLoop* frameLoop = nullptr;
  KeyboardSampling keyboard;
};

// The current player's shell state.
ShellState& shellState();
// Makes `state` the current one; gives the one it replaces.
ShellState* setShellState(ShellState* state);

}  // namespace zunka
