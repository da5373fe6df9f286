// The sequencer: a channel's commands, run whenever the clock reaches its next
// event. Sequences come from files, so every operand is checked against the end
// of the sequence; a command cut off by it, a jump out of it, or running off its
// end stops the channel, as does a second jump within one sample (a loop that
// never yields).
#include <algorithm>
#include <cstring>
#include <string>

#include "sound/enveloper.h"
#include "sound/little_endian.h"
#include "sound/sequence_commands.h"
#include "sound/tone_tables.h"

namespace zunka::sound {
namespace {

// Glide notes are free bytes; notes past the table play its last entry.
int32_t tableNote(int32_t note) {
  return std::min(note, kToneCount - 1);
}

}  // namespace

void TEnveloper::runDueCommands(Channel& c) {
  int32_t jumps = 0;
  while (c.state == ChannelState::Playing && clock_ >= c.nextEvent) executeCommand(c, jumps);
}

// The built-in tones' increment: the table's, moved by detune / 2048 of itself.
int32_t TEnveloper::tunedIncrement(const Channel& c, int32_t note) const {
  int32_t base = pitchTable()[note];
  return base + c.detune * (base / 2048);
}

// A sampled tone advances its index by one per sample at note 36 (its own
// speed), in proportion to the table's increments elsewhere.
uint32_t TEnveloper::noteIncrement(const Channel& c, int32_t note) const {
  if (c.tone < kFirstSampledTone || c.indexWidth <= 1)
    return static_cast<uint32_t>(tunedIncrement(c, note));
  const auto& pitch = pitchTable();
  int64_t indexStep = (int64_t(1) << 30) >> (c.indexWidth - 2);
  return static_cast<uint32_t>(indexStep / (pitch[36] / 65536) * (pitch[note] / 65536));
}

void TEnveloper::playNote(Channel& c, int32_t note, int32_t duration) {
  c.rest = false;
  if (!c.tie) {
    c.envelopePosition = 0;
    if (c.oneShot) c.phase = 0;
    if (c.vibratoReset) c.vibratoPhase = 0;
    c.vibratoCounter = c.vibratoDelay;
  }
  c.increment = noteIncrement(c, note);
  c.gliding = false;
  c.tie = false;
  c.nextEvent += 2 * int64_t(duration);
}

void TEnveloper::startGlide(Channel& c, int32_t from, int32_t to, int32_t duration) {
  c.rest = false;
  int32_t start = tunedIncrement(c, tableNote(from));
  int32_t end = tunedIncrement(c, tableNote(to));
  if (!c.tie) c.envelopePosition = 0;
  c.tie = false;
  c.nextEvent += 2 * int64_t(duration);
  c.glideEndTime = c.nextEvent;
  c.glideLength = duration;
  c.gliding = duration > 0;
  if (c.gliding) {
    c.glideStartStep = start / duration;
    c.glideEndStep = end / duration;
  } else {
    // A glide of no length is over before it starts (and would divide by zero).
    c.increment = static_cast<uint32_t>(end);
  }
}

void TEnveloper::executeCommand(Channel& c, int32_t& jumps) {
  const Sequence& seq = *c.sequence;
  const size_t at = c.position;
  if (at >= seq.size()) return stop(c);
  const uint8_t* op = seq.data() + at;
  const size_t left = seq.size() - at;  // bytes from the command byte on
  // The operands of a fixed-size command, or a stopped channel when they are cut off.
  auto fits = [&](size_t size) {
    if (left >= size) return true;
    stop(c);
    return false;
  };
  // The end of a zero-terminated text starting at `from`, or npos.
  auto textEnd = [&](size_t from) -> size_t {
    if (from >= left) return std::string::npos;
    const void* zero = std::memchr(op + from, 0, left - from);
    return zero ? static_cast<const uint8_t*>(zero) - op : std::string::npos;
  };
  namespace cmd = command;
  switch (const uint8_t code = op[0]) {
    case cmd::kRest:
      if (!fits(3)) return;
      c.rest = true;
      c.tie = false;
      c.nextEvent += 2 * int64_t(readU16(op + 1));
      c.position += 3;
      return;
    case cmd::kVolume:
      if (!fits(2)) return;
      c.volume = op[1];
      c.position += 2;
      return;
    case cmd::kEnvelopeSpeed:
      if (!fits(2)) return;
      c.envelopeSpeed = op[1];
      c.position += 2;
      return;
    case cmd::kTone:
      if (!fits(2)) return;
      setTone(c, op[1]);
      c.position += 2;
      return;
    case cmd::kTempo:
      if (!fits(3)) return;
      setTempo(readU16(op + 1));
      c.position += 3;
      return;
    case cmd::kJump: {
      if (!fits(5)) return;
      int64_t target = int64_t(at) + readI32(op + 1);
      if (++jumps > 1 || target < 0 || target >= int64_t(seq.size())) return stop(c);
      c.position = static_cast<size_t>(target);
      return;
    }
    case cmd::kTie:
      c.tie = true;
      c.position += 1;
      return;
    case cmd::kGlide:
      if (!fits(5)) return;
      startGlide(c, op[1], op[2], readU16(op + 3));
      c.position += 5;
      return;
    case cmd::kEnvelope:
      if (!fits(2)) return;
      if (op[1] < kEnvelopeCount) c.envelope = op[1];
      c.position += 2;
      return;
    case cmd::kWait:
      c.position += 1;
      c.state = ChannelState::Waiting;
      releaseWaitingChannels();
      return;
    case cmd::kTitle:
    case cmd::kRemark: {
      size_t end = textEnd(1);
      if (end == std::string::npos) return stop(c);
      c.position += end + 1;
      return;
    }
    case cmd::kDetune:
      if (!fits(2)) return;
      c.detune = static_cast<int8_t>(op[1]);
      c.position += 2;
      return;
    case cmd::kNothing:
      c.position += 1;
      return;
    case cmd::kWaveform:
      if (!fits(2 + kWaveLength)) return;
      if (op[1] < kToneCount) std::memcpy(waveforms_[op[1]].data(), op + 2, kWaveLength);
      c.position += 2 + kWaveLength;
      return;
    case cmd::kEnvelopeShape:
      if (!fits(2 + kEnvelopeSteps)) return;
      if (op[1] < kEnvelopeCount) {
        for (int32_t j = 0; j < kEnvelopeSteps; ++j)
          envelopes_[op[1]][j] = std::min<uint8_t>(op[2 + j], kMaxEnvelopeStep);
      }
      c.position += 2 + kEnvelopeSteps;
      return;
    case cmd::kVibrato:
      if (!fits(4)) return;
      c.vibratoReset = op[1] != 0;
      c.vibratoSpeed = uint32_t(op[2]) << 16;
      c.vibratoDepth = op[3];
      c.vibratoDelay = 0;
      c.position += 4;
      return;
    case cmd::kOneShot:
      if (!fits(2)) return;
      c.oneShot = op[1] == 1;
      c.position += 2;
      return;
    case cmd::kLoadSample: {
      size_t end = textEnd(1);
      if (end == std::string::npos || end + 1 >= left) return stop(c);
      std::string_view name(reinterpret_cast<const char*>(op + 1), end - 1);
      c.position += end + 2;
      loadSampledTone(name, op[end + 1]);
      return;
    }
    case cmd::kVibratoDelay:
      if (!fits(2)) return;
      c.vibratoDelay = int64_t(op[1]) * 44100;
      c.position += 2;
      return;
    case cmd::kSecondVolume:
      if (!fits(2)) return;
      c.secondVolume = op[1];
      c.position += 2;
      return;
    default:
      if (code <= cmd::kLastNote) {
        if (!fits(3)) return;
        playNote(c, code, readU16(op + 1));
        c.position += 3;
        return;
      }
      return stop(c);  // the end mark, and any byte that is no command
  }
}

}  // namespace zunka::sound
