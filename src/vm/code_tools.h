#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zunka::vm {

// Rewrites the common pairs and triples of a freshly generated block into the fused
// instructions, in place, without moving any word. Raises "異常な命令が入っています:"
// and the opcode for a code it does not expect.
void fuseInstructions(uint32_t* words, uint32_t wordCount);

// Appends one text line per instruction, up to the final Halt. Addresses are
// printed as `baseAddress` + byte position, in 8 upper-case hex digits. An unknown
// opcode raises "異常な命令が入っています" after the lines listed so far.
void listInstructions(const uint32_t* words, uint32_t wordCount, std::vector<std::string>& lines,
                      uint32_t baseAddress = 0);

}  // namespace zunka::vm
