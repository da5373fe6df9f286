#include "resources/gen_iterator.h"

#include "resources/generator.h"
#include "resources/global_value.h"
#include "resources/multi_statement_script.h"
#include "resources/paths.h"
#include "resources/rtti.h"
#include "vm/console.h"
#include "vm/symbols.h"

namespace zunka {

TGenIterator::TGenIterator(int32_t pageHash) {
  add("$_hashCode=getPageHashCode()-(" + std::to_string(pageHash) + ");");
  add("if (!$_design_mode) { for (p in $procs) p.kill();} $chars.clear();");
}

void TGenIterator::add(std::string snippet, Origin origin) {
  snippets_.push_back(std::move(snippet));
  origins_.push_back(std::move(origin));
}

std::string TGenIterator::ScriptText(const std::vector<bool>* keep) const {
  TMultiEvaluator script;
  for (size_t i = 0; i < snippets_.size(); ++i)
    if (!keep || (*keep)[i]) script.Add(snippets_[i]);
  return script.Text();
}

void TGenIterator::VisitResource(TResource& resource) {
  if (auto* gen = dynamic_cast<TGenerator*>(&resource)) {
    if (pass_ == 0)
      createObject(*gen);
    else
      setUpObject(*gen);
  } else if (auto* global = dynamic_cast<TGlobalValue*>(&resource)) {
    if (pass_ == 0 && !global->initText.empty())
      add(global->name() + "=" + global->initText + ";", {global->name(), "value"});
  }
}

void TGenIterator::createObject(TGenerator& gen) {
  TRTTI* cls = gen.FindClass();
  if (!cls) {
    LogError(
        gen.name() + "のクラス" + gen.className + "はありません。オブジェクトの作成を中止します",
        {}, true);
  } else if (!cls->compiled) {
    Log(gen.className + "はコンパイルされていないので、オブジェクトを生成できません");
  } else {
    add(gen.name() + "=new " + gen.className + "();", {gen.name(), "className"});
  }
}

void TGenIterator::setUpObject(TGenerator& gen) {
  TRTTI* cls = gen.FindClass();
  if (!cls) return;
  const std::string& n = gen.name();
  for (const std::string& line : gen.instAttrs) {
    std::string member = AttrLineName(line);
    if (cls->HasMember(vm::symbols::intern(member)))
      add(n + "." + member + "=" + AttrLineValue(line) + ";", {n, "inst_" + member});
  }
  std::string path = gen.FullPath();
  add(n + ".setGenerator( getResource(\"" + path + "\").getTObject() );", {n, "name"});
  add(n + ".onGenerate();", {n, "name"});
  if (ParentPath(path) == "usr.gen") {
    add("if ($_design_mode==0) { appear(" + n + "); }else $chars.add(" + n + ");", {n, "name"});
    add("_n_refresh();");
  }
}

}  // namespace zunka
