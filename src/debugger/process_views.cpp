#include "debugger/process_views.h"

#include <algorithm>
#include <cstdlib>

#include "vm/class_object.h"
#include "vm/code_tools.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/tfstring.h"

namespace zunka::debugger {

using namespace vm;

namespace {

// Longer values are cut in the views: a script's megabyte string would otherwise
// be drawn, and printed, whole.
constexpr size_t kLongestValueText = 200;

bool isLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0;
}

// `text` cut to at most `limit` bytes without splitting a double-byte character.
std::string cutText(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t i = 0;
  while (i < limit) {
    size_t step = isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return text.substr(0, i) + "...";
}

const FrameRecord* innermostFrame(const TProcess& p) {
  return p.released || !p.hasFrame() ? nullptr : p.frame(p.fp);
}

// Whether the value `slotsBelow` places below `from` still lies in the stack block:
// the views read only there, whatever a frame record says.
bool onStack(const TProcess& p, Ref from, size_t slotsBelow) {
  return from >= p.stack + 8 * slotsBelow && from < p.stack + TProcess::kStackBytes;
}

void addArguments(const TProcess& p, const FrameRecord& frame, const TNormalFunction* f,
                  std::vector<std::string>& lines) {
  size_t named = f ? f->params.size() : 0;
  size_t count = std::max(named, size_t(std::max(frame.argc, 0)));
  if (count == 0) return;
  lines.push_back("[引数]");
  for (size_t i = 0; i < count && onStack(p, frame.thisSlot, i + 1); ++i) {
    std::string name = i < named ? f->params[i] : "#" + std::to_string(i);
    std::string value = int32_t(i) < frame.argc
                            ? valueLine(*valueAt(frame.thisSlot - 8 * uint32_t(i + 1)))
                            : std::string("(省略)");
    lines.push_back(name + " = " + value);
  }
}

void addLocals(const TProcess& p, const TNormalFunction* f, std::vector<std::string>& lines) {
  if (!f || f->locals.empty()) return;
  lines.push_back("[ローカル変数]");
  for (size_t i = 0; i < f->locals.size() && onStack(p, p.fp, i); ++i)
    lines.push_back(f->locals[i] + " = " + valueLine(*valueAt(p.fp - 8 * uint32_t(i))));
}

void addMembers(const TValue& self, std::vector<std::string>& lines) {
  TfObject* o = objectOf(self);
  ClassObject* cls = classOf(o);
  if (!cls) return;
  lines.push_back("[メンバ変数] " + toText(self));
  int32_t slots = cls->memberSlots();
  for (int32_t i = 0; i < slots && i < cls->members.count(); ++i)
    lines.push_back(cls->members.textAt(i) + " = " + valueLine(o->members()[i]));
}

}  // namespace

const TCompiledInfo* runningCode(const TProcess& p) {
  const FrameRecord* frame = innermostFrame(p);
  if (!frame) return nullptr;
  if (auto* f = hostAs<TNormalFunction>(frame->function)) return f->code.get();
  ClassObject* cls = classOf(objectOf(*valueAt(frame->thisSlot)));
  return cls ? cls->classCode.get() : nullptr;
}

CodeListing listCode(const TCompiledInfo& code, Ref marked) {
  CodeListing listing;
  try {
    listInstructions(code.words(), code.lengthBytes() / 4, listing.lines, code.code());
  } catch (const EError& e) {
    listing.lines.push_back(e.message());  // the lines before the bad word stay
  }
  // Each line starts with its address, as the listing wrote it (the error line
  // after a bad word has none).
  for (const std::string& line : listing.lines) {
    bool addressed = line.size() > 8 && line[8] == ':';
    Ref address = addressed ? Ref(std::strtoul(line.substr(0, 8).c_str(), nullptr, 16)) : 0;
    if (address == marked && marked != 0) listing.marked = int(listing.addresses.size());
    listing.addresses.push_back(address);
  }
  return listing;
}

CodeListing currentListing(const TProcess& p) {
  const TCompiledInfo* code = runningCode(p);
  return code ? listCode(*code, p.pc) : CodeListing{};
}

std::vector<std::string> stackLines(const TProcess& p) {
  std::vector<std::string> lines;
  p.DumpStack(lines);
  lines.push_back("proc.sp =" + std::to_string(p.sp));
  return lines;
}

std::vector<std::string> variableLines(const TProcess& p) {
  std::vector<std::string> lines;
  const FrameRecord* frame = innermostFrame(p);
  if (!frame) return lines;
  const TNormalFunction* f = hostAs<TNormalFunction>(frame->function);
  addArguments(p, *frame, f, lines);
  addLocals(p, f, lines);
  addMembers(*valueAt(frame->thisSlot), lines);
  return lines;
}

std::string valueLine(const TValue& v) {
  std::string text = cutText(toText(v), kLongestValueText);
  return isString(v) ? "\"" + text + "\"" : text;
}

}  // namespace zunka::debugger
