#include "resources/generator.h"

#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/symbols.h"

namespace zunka {
namespace {

constexpr std::string_view kConstPrefix = "const_";
constexpr std::string_view kInstPrefix = "inst_";
constexpr const char* kLineEnd = "\r\n";

// The index of the first line named `name` (ASCII case ignored), or -1.
int findLine(const std::vector<std::string>& lines, std::string_view name) {
  std::string wanted = platform::foldAsciiCase(name);
  for (size_t i = 0; i < lines.size(); ++i)
    if (platform::foldAsciiCase(AttrLineName(lines[i])) == wanted) return static_cast<int>(i);
  return -1;
}

void appendAttr(std::string& out, std::string_view name, std::string_view value) {
  out += " " + std::string(name) + "=\"" + EscapeAttr(value) + "\"";
}

}  // namespace

std::string AttrLineName(std::string_view line) {
  return std::string(line.substr(0, line.find('=')));
}

std::string AttrLineValue(std::string_view line) {
  size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
}

TGenerator::TGenerator(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir), className(tag.GetAttr("classname")) {
  for (const std::string& line : tag.attributeLines()) {
    std::string name = AttrLineName(line);
    if (name.starts_with(kConstPrefix))
      constants.push_back(name.substr(kConstPrefix.size()) + "=" + AttrLineValue(line));
    else if (name.starts_with(kInstPrefix))
      instAttrs.push_back(name.substr(kInstPrefix.size()) + "=" + AttrLineValue(line));
  }
}

void TGenerator::SetInstAttr(std::string_view name, std::string_view value) {
  int at = findLine(instAttrs, name);
  if (at >= 0) instAttrs.erase(instAttrs.begin() + at);
  if (!value.empty()) instAttrs.push_back(std::string(name) + "=" + std::string(value));
}

TRTTI* TGenerator::FindClass() const {
  if (!resourceTree().root || className.empty()) return nullptr;
  return dynamic_cast<TRTTI*>(resourceTree().root->Find(className));
}

void TGenerator::InitPass(TInitContext& context) {
  TRTTI* cls = FindClass();
  if (state == kCreate)
    create(cls);
  else if (state == kSetUp)
    setUp(cls);
  switch (state) {
    case kCreate:
      ++context.done;
      break;
    case kSetUp:
      ++context.pending;
      break;
    default:
      ++context.failed;
      break;
  }
}

void TGenerator::create(TRTTI* cls) {
  state = kClassMissing;
  if (!cls) {
    LogError("クラス" + className + "はありません。オブジェクトの作成を中止します", {}, true);
    return;
  }
  if (!cls->compiled)
    throw EError(className + "はコンパイルされていないので、オブジェクトを生成できません");
  state = kFailed;
  std::string text = std::string("extends classes.lang.Object;") + kLineEnd + name() + "=new " +
                     className + "(" + constructorArguments(*cls) + ");" + kLineEnd;
  if (RunSnippetChecked(text) == 0) state = kSetUp;
}

void TGenerator::setUp(TRTTI* cls) {
  // Made when missing: the snippet below names it, so it would exist anyway.
  if (vm::TValue* gen = GlobalCell("$_tmp_gen")) vm::setHost(*gen, handle());
  if (!cls) {
    state = kFailed;  // the class went away between the passes
    return;
  }
  std::string text = std::string("extends classes.lang.Object;") + kLineEnd;
  for (const std::string& line : instAttrs) {
    std::string member = AttrLineName(line);
    if (cls->HasMember(vm::symbols::intern(member)))
      text += name() + "." + member + "=" + AttrLineValue(line) + ";" + kLineEnd;
  }
  text += name() + ".setGenerator($_tmp_gen);" + kLineEnd;
  text += name() + ".onGenerate();" + kLineEnd;
  state = RunSnippetChecked(text) == 0 ? kCreate : kFailed;
}

std::string TGenerator::constructorArguments(TRTTI& cls) const {
  vm::TNormalFunction* constructor = cls.Constructor();
  if (!constructor) return {};
  std::string args;
  for (size_t i = 0; i < constructor->params.size(); ++i) {
    int at = findLine(constants, constructor->params[i]);
    args += (i ? "," : "") + (at >= 0 ? AttrLineValue(constants[at]) : std::string("null"));
  }
  return args;
}

void TGenerator::WriteTag(std::vector<std::string>& lines, const std::string&, int) {
  // A generator without a name has no object to ask (and would make a snippet
  // that cannot compile).
  if (!name().empty()) RunSnippet("if (" + name() + ") " + name() + ".onSaveToGen();");
  std::string line = "<generator";
  appendAttr(line, "className", className);
  appendAttr(line, "name", name());
  if (!src.empty()) appendAttr(line, "src", RelativePath(src, resourceTree().workDir));
  for (const std::string& attr : instAttrs)
    appendAttr(line, std::string(kInstPrefix) + AttrLineName(attr), AttrLineValue(attr));
  for (const std::string& attr : constants)
    appendAttr(line, std::string(kConstPrefix) + AttrLineName(attr), AttrLineValue(attr));
  lines.push_back(line + "/>");
}

void TGenerator::Dispose() {
  vm::TValue* global = name().empty() ? nullptr : ExistingGlobalCell(name());
  vm::TfObject* object = global ? vm::objectOf(*global) : nullptr;
  TRTTI* cls = object ? TRTTI::Of(vm::classOf(object)) : nullptr;
  int32_t slot = cls ? cls->members.find(vm::symbols::kGenerator) : -1;
  if (slot >= 0) {
    vm::TValue& link = object->members()[slot];
    if (link.kind == vm::vtHost && link.ref == handle()) {
      vm::setNull(link);
      Log("TGenerator.Destroy :" + name() + " matched.");
    } else {
      Log("TGenerator.Destroy : " + name() + " UNmatched.");
    }
  }
  TResource::Dispose();
}

}  // namespace zunka
