#include "resources/cmml_documents.h"

#include "resources/resources_state.h"
#include "resources/tag_reader.h"
#include "vm/errors.h"
#include "vm/host_handles.h"

namespace zunka {
namespace {

// Elements and bytes of names and values in a subtree, and how deep it nests
// below its top (0 for a lone element).
struct Size {
  size_t elements = 0;
  size_t bytes = 0;
  int depth = 0;
};

Size sizeOf(const TSGML& element) {
  Size size{1, element.TagName().size(), 0};
  for (const std::string& line : element.attributeLines()) size.bytes += line.size();
  for (const auto& child : element.children()) {
    Size inner = sizeOf(*child);
    size.elements += inner.elements;
    size.bytes += inner.bytes;
    if (inner.depth + 1 > size.depth) size.depth = inner.depth + 1;
  }
  return size;
}

// Names scripts give to tags and attributes: one or more name characters, the
// only names the text form can hold. Anything else would be written as other
// markup (a name holding `"`, `=`, `>` or a space) and read back as something else.
bool isName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!isNameChar(c)) return false;
  return true;
}

// The bytes of the attribute line of exactly this name, 0 when there is none.
size_t lineBytes(const TSGML& element, std::string_view name) {
  for (const std::string& line : element.attributeLines())
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
        line[name.size()] == '=')
      return line.size();
  return 0;
}

}  // namespace

bool CmmlDocuments::take(Document& document, size_t elements, size_t bytes) {
  if (elements > kMostElements - elements_ || bytes > kMostBytes - bytes_) return false;
  elements_ += elements;
  bytes_ += bytes;
  document.elements += elements;
  document.bytes += bytes;
  return true;
}

TCmmlElement* CmmlDocuments::handleOf(Document& document, uint32_t id, TSGML& element, int depth) {
  std::unique_ptr<TCmmlElement>& handle = document.handles[&element];
  if (!handle) handle = std::make_unique<TCmmlElement>(element, id, depth);
  return handle.get();
}

TCmmlElement* CmmlDocuments::Add(std::unique_ptr<TSGML> root) {
  if (!root) return nullptr;
  Size size = sizeOf(*root);
  if (size.depth >= kMaxTagDepth) return nullptr;
  uint32_t id = nextId_++;
  Document& document = documents_[id];
  if (!take(document, size.elements, size.bytes)) {
    documents_.erase(id);
    return nullptr;
  }
  document.root = std::move(root);
  document.holders = 1;
  return handleOf(document, id, *document.root, 0);
}

TCmmlElement* CmmlDocuments::Find(const vm::TValue& v) {
  if (v.kind != vm::vtHost) return nullptr;
  return dynamic_cast<TCmmlElement*>(vm::HostHandles::find(v.ref, vm::HostKind::Other));
}

TCmmlElement* CmmlDocuments::ChildHandle(TCmmlElement& parent, TSGML& child) {
  auto it = documents_.find(parent.document);
  if (it == documents_.end()) return nullptr;
  return handleOf(it->second, parent.document, child, parent.depth + 1);
}

TCmmlElement* CmmlDocuments::AddChild(TCmmlElement& parent, std::unique_ptr<TSGML> child) {
  auto it = documents_.find(parent.document);
  if (it == documents_.end() || !child) return nullptr;
  Size size = sizeOf(*child);
  if (parent.depth + 1 + size.depth >= kMaxTagDepth) return nullptr;
  if (!take(it->second, size.elements, size.bytes)) return nullptr;
  TSGML& added = *child;
  parent.element.AddChild(std::move(child));
  return handleOf(it->second, parent.document, added, parent.depth + 1);
}

bool CmmlDocuments::SetAttr(TCmmlElement& element, std::string_view name, std::string_view value) {
  auto it = documents_.find(element.document);
  if (it == documents_.end() || !isName(name)) return false;
  size_t before = lineBytes(element.element, name);
  size_t after = name.size() + 1 + value.size();
  if (after > before && !take(it->second, 0, after - before)) return false;
  element.element.SetAttr(name, value);
  if (after < before) {
    bytes_ -= before - after;
    it->second.bytes -= before - after;
  }
  return true;
}

bool CmmlDocuments::SetTagName(TCmmlElement& element, std::string_view name) {
  auto it = documents_.find(element.document);
  if (it == documents_.end() || !isName(name)) return false;
  size_t before = element.element.TagName().size();
  if (name.size() > before && !take(it->second, 0, name.size() - before)) return false;
  element.element.SetTagName(std::string(name));
  if (name.size() < before) {
    bytes_ -= before - name.size();
    it->second.bytes -= before - name.size();
  }
  return true;
}

void CmmlDocuments::Hold(const TCmmlElement& element) {
  auto it = documents_.find(element.document);
  if (it != documents_.end()) ++it->second.holders;
}

void CmmlDocuments::Drop(const TCmmlElement& element) {
  auto it = documents_.find(element.document);
  if (it == documents_.end() || --it->second.holders > 0) return;
  elements_ -= it->second.elements;
  bytes_ -= it->second.bytes;
  // The handles go first: they refer into the elements.
  it->second.handles.clear();
  documents_.erase(it);
}

std::unique_ptr<TSGML> ReadCmmlDocument(const std::string& text) {
  try {
    if (text.starts_with("<")) return ParseTagText(text);
    size_t pos = 0;
    return ReadElement("<" + text + "/>", pos);
  } catch (const EError&) {
    return nullptr;
  }
}

CmmlDocuments& cmmlDocuments() {
  return resourcesState().cmml;
}

}  // namespace zunka
