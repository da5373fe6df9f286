#include "debugger/console_eval.h"

#include <memory>

#include "compiler/class_compiler.h"
#include "debugger/process_views.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

namespace zunka::debugger {

using namespace vm;

namespace {

constexpr const char* kMethod = "_debugConsoleLine";
constexpr std::string_view kGrammarError = "文法エラー:";

// Keeps the first error reported while it lasts, instead of showing it.
class ErrorCapture final : public ConsoleSink {
 public:
  ErrorCapture() : previous_(machine().console) { machine().console = this; }
  ~ErrorCapture() override { machine().console = previous_; }
  void log(std::string_view) override {}
  void logError(std::string_view text, const TTraceList&, bool show) override {
    if (!show) {  // what the line prints goes where the game's print goes
      previous_ ? previous_->logError(text, {}, false) : (void)0;
      return;
    }
    if (first_.empty()) first_ = text;
  }
  const std::string& first() const { return first_; }

 private:
  ConsoleSink* previous_;
  std::string first_;
};

// The class a console line extends: self's, when the tree can find it by its path.
std::string parentPath(const TValue& self) {
  TRTTI* cls = TRTTI::Of(classOf(objectOf(self)));
  TResourceList* root = resourceTree().root;
  if (cls && root && root->Find(cls->FullPath()) == cls) return cls->FullPath();
  return "classes.lang.Object";
}

// A throw-away class holding the line as its one method; nullptr (with the
// compiler's message) when it does not compile.
std::unique_ptr<TRTTI> compileLine(const std::string& parent, const std::string& parameters,
                                   const std::string& body, std::string& error) {
  static int counter = 0;
  auto cls = std::make_unique<TRTTI>("debugConsole" + std::to_string(counter++));
  std::string source = "extends " + parent + ";\r\nfunction " + kMethod + "(" + parameters +
                       ") {\r\n" + body + "\r\n}\r\n";
  ErrorCapture capture;
  if (CompileClass(*cls, source, true) != 0 || !cls->compiled) {
    error = capture.first().empty() ? std::string("コンパイルできません") : capture.first();
    // Compile errors start with the class's name, which is nobody's business here.
    if (error.starts_with(cls->name() + ":")) error.erase(0, cls->name().size() + 1);
    return nullptr;
  }
  return cls;
}

std::string parameterList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

}  // namespace

FrameValues frameValues(const TProcess& p) {
  FrameValues frame;
  if (p.released || !p.hasFrame()) return frame;
  const FrameRecord* record = p.frame(p.fp);
  auto* f = hostAs<TNormalFunction>(record->function);
  if (!f) return frame;
  for (size_t i = 0; i < f->params.size(); ++i) {
    bool given = int32_t(i) < record->argc && record->thisSlot >= p.stack + 8 * (i + 1);
    frame.names.push_back(f->params[i]);
    frame.values.push_back(given ? *valueAt(record->thisSlot - 8 * uint32_t(i + 1)) : TValue{});
  }
  for (size_t i = 0; i < f->locals.size() && p.fp >= p.stack + 8 * i; ++i) {
    frame.names.push_back(f->locals[i]);
    frame.values.push_back(*valueAt(p.fp - 8 * uint32_t(i)));
  }
  return frame;
}

Evaluation evaluateLine(std::string_view line, const TValue& self, const FrameValues& frame) {
  std::string parent = parentPath(self);
  std::string parameters = parameterList(frame.names);
  std::string error;
  bool expression = true;
  std::unique_ptr<TRTTI> cls =
      compileLine(parent, parameters, "return (" + std::string(line) + ");", error);
  // A line that reads as an expression but names something missing is wrong as
  // statements too: its own message says what.
  if (!cls && !error.starts_with(kGrammarError)) return {false, error};
  if (!cls) {
    expression = false;
    cls = compileLine(parent, parameters, std::string(line) + "\r\nreturn null;", error);
  }
  if (!cls) return {false, error};
  auto* method = dynamic_cast<TNormalFunction*>(cls->FindMethodByName(kMethod));
  if (!method) return {false, "コンパイルできません"};
  bool ownObject = !objectOf(self);
  TValue target = ownObject ? TValue::ofRef(vtObject, cls->NewInstance()) : self;
  retain(target);
  RunOutcome outcome;
  std::string failure;
  {
    ErrorCapture capture;
    try {
      outcome =
          RunUntilHalted(TProcess::CreateCalling(target, frame.values, method), kHostScriptRuns);
    } catch (const EError& e) {  // no room for the process
      outcome.state = 2;
      failure = e.message();
    }
    if (failure.empty()) failure = capture.first();
  }
  Evaluation result{outcome.state == 0 && failure.empty(), ""};
  if (!result.ok)
    result.text = failure.empty() ? std::string("実行時エラー") : failure;
  else if (expression)
    result.text = valueLine(outcome.result);
  release(outcome.result);
  release(target);
  // An object the line made and kept somewhere keeps its class alive.
  if (!cls->NoLiveInstances()) cls.release();
  return result;
}

}  // namespace zunka::debugger
