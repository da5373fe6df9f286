#include "resources/cmml_natives.h"

#include <string>

#include "resources/cmml_documents.h"
#include "resources/snippet_service.h"
#include "resources/tag_reader.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"

namespace zunka {

using namespace vm;

namespace {

// The element a native's first argument names; getters give null for anything
// else (a stale handle among them), setters do nothing.
TCmmlElement* elementArg(TValue* target, int32_t argc) {
  return argc >= 1 ? CmmlDocuments::Find(nativeArg(target, 1)) : nullptr;
}

// _n_hold(v): v an element's handle: its document is held once more and the handle
// given back; v a text: a new document read from it, held once, and its first
// element's handle; anything else, or no room: 0.
ZUNKA_NATIVE(nativeHold) {
  if (argc < 1) return;
  const TValue& v = nativeArg(target, 1);
  TCmmlElement* element = CmmlDocuments::Find(v);
  if (element)
    cmmlDocuments().Hold(*element);
  else if (isString(v))
    element = cmmlDocuments().Add(ReadCmmlDocument(toText(v)));
  if (element)
    setHost(*target, element->handle());
  else
    setInt(*target, 0);
}

ZUNKA_NATIVE(nativeDrop) {
  if (TCmmlElement* element = elementArg(target, argc)) cmmlDocuments().Drop(*element);
}

ZUNKA_NATIVE(nativeGetTagName) {
  if (argc < 1) return;
  if (TCmmlElement* element = elementArg(target, argc))
    setString(*target, element->element.TagName());
  else
    setNull(*target);
}

ZUNKA_NATIVE(nativeSetTagName) {
  if (argc < 2) return;
  if (TCmmlElement* element = elementArg(target, argc))
    cmmlDocuments().SetTagName(*element, toText(nativeArg(target, 2)));
}

ZUNKA_NATIVE(nativeGetAttr) {
  if (argc < 2) return;
  if (TCmmlElement* element = elementArg(target, argc))
    setString(*target, element->element.GetAttr(toText(nativeArg(target, 2))));
  else
    setNull(*target);
}

ZUNKA_NATIVE(nativeSetAttr) {
  if (argc < 3) return;
  if (TCmmlElement* element = elementArg(target, argc))
    cmmlDocuments().SetAttr(*element, toText(nativeArg(target, 2)), toText(nativeArg(target, 3)));
}

ZUNKA_NATIVE(nativeToText) {
  if (argc < 1) return;
  if (TCmmlElement* element = elementArg(target, argc))
    setString(*target, element->element.ToText());
  else
    setNull(*target);
}

// Moves the value of a global into the slot and clears the global, so that it
// keeps nothing (and no document) alive.
void takeGlobal(TValue& slot, std::string_view name) {
  TValue* cell = GlobalCell(name);
  if (!cell) return setNull(slot);
  TValue value = *cell;
  assign(slot, &value);
  setNull(*cell);
}

// _n_addSubItem(h, T): the element "<" + T + "/>" (the pattern reader's) becomes
// the last child, and a new CMML object for it the result; null when refused.
ZUNKA_NATIVE(nativeAddSubItem) {
  if (argc < 2) return;
  TCmmlElement* parent = elementArg(target, argc);
  TValue* handle = GlobalCell("$_tmp_cmml2");
  if (!parent || !handle) return setNull(*target);
  size_t pos = 0;
  TCmmlElement* child = cmmlDocuments().AddChild(
      *parent, ReadElement("<" + toText(nativeArg(target, 2)) + "/>", pos));
  if (!child) return setNull(*target);
  setHost(*handle, child->handle());
  if (RunSnippetChecked("$_tmp_cmml=new CMML($_tmp_cmml2);") != 0) return setNull(*target);
  takeGlobal(*target, "$_tmp_cmml");
}

// _n_getSubItems(h): a new Array of new CMML objects, one per child in order. The
// objects are made by one snippet over a list of the children's handles.
ZUNKA_NATIVE(nativeGetSubItems) {
  if (argc < 1) return;
  TCmmlElement* parent = elementArg(target, argc);
  TValue* handles = GlobalCell("$_tmp_cmml2");
  if (!parent || !handles) return setNull(*target);
  auto* list = new TValueList();
  uint32_t listHandle = list->handle();
  for (const auto& child : parent->element.children())
    if (TCmmlElement* h = cmmlDocuments().ChildHandle(*parent, *child))
      list->add(TValue::ofRef(vtHost, h->handle()));
  setHost(*handles, listHandle);
  int outcome = RunSnippetChecked(
      "body=new Array();body._setBody($_tmp_cmml2);$_tmp_cmml2=0;"
      "$_tmp_cmml_list=new Array();"
      "for (h in body) $_tmp_cmml_list.add(new CMML(h));");
  if (outcome != 0) {
    if ((handles = GlobalCell("$_tmp_cmml2")) && handles->kind == vtHost &&
        handles->ref == listHandle)
      delete hostAs<TValueList>(listHandle);  // nobody took it
    return setNull(*target);
  }
  takeGlobal(*target, "$_tmp_cmml_list");
}

constexpr NativeEntry kNatives[] = {
    {"_n_getTagName", nativeGetTagName},
    {"_n_getAttr", nativeGetAttr},
    {"_n_setAttr", nativeSetAttr},
    {"_n_setTagName", nativeSetTagName},
    {"_n_addSubItem", nativeAddSubItem},
    {"_n_getSubItems", nativeGetSubItems},
    {"_n_hold", nativeHold},
    {"_n_drop", nativeDrop},
    {"_n_toText", nativeToText},
};

}  // namespace

std::span<const NativeEntry> cmmlNatives() {
  return kNatives;
}

}  // namespace zunka
