#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "resources/sgml.h"
#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka {

// A script's handle on one element of a CMML document. It lives as long as its
// document; once the document goes, the handle is stale and names nothing.
class TCmmlElement : public vm::HostObject {
 public:
  TCmmlElement(TSGML& element, uint32_t document, int depth)
      : HostObject(vm::HostKind::Other), element(element), document(document), depth(depth) {}
  const char* hostClassName() const override { return "TSGML"; }

  TSGML& element;
  const uint32_t document;
  const int depth;  // 0 for the document's first element
};

// The tag documents scripts build and read through CMML objects. A document is
// held by the CMML objects of its elements and goes with the last of them. All
// documents together are bounded (elements, depth, bytes of names and values), so
// a script that keeps adding is refused rather than exhausting memory.
class CmmlDocuments {
 public:
  static constexpr size_t kMostElements = size_t(1) << 17;
  static constexpr size_t kMostBytes = size_t(32) << 20;

  CmmlDocuments() = default;
  CmmlDocuments(const CmmlDocuments&) = delete;
  CmmlDocuments& operator=(const CmmlDocuments&) = delete;

  // A new document whose first element is `root`; nullptr when there is no room.
  // The document is held once for the caller.
  TCmmlElement* Add(std::unique_ptr<TSGML> root);
  // The live element a script value names, or nullptr.
  static TCmmlElement* Find(const vm::TValue& v);
  // The handle object of a child of `parent`'s element (made on first use).
  TCmmlElement* ChildHandle(TCmmlElement& parent, TSGML& child);
  // Adds `child` (with whatever it holds) below `parent`; nullptr when there is no
  // room or the document would nest too deep.
  TCmmlElement* AddChild(TCmmlElement& parent, std::unique_ptr<TSGML> child);
  // SetAttr and SetTagName, counted against the room; false when refused: for
  // want of room, or for a name that is not one or more name characters (ASCII
  // letters, digits, "_"), which the text form could not hold.
  bool SetAttr(TCmmlElement& element, std::string_view name, std::string_view value);
  bool SetTagName(TCmmlElement& element, std::string_view name);

  void Hold(const TCmmlElement& element);
  // One holder less; the document goes with its last.
  void Drop(const TCmmlElement& element);

  size_t documents() const { return documents_.size(); }
  size_t elements() const { return elements_; }

 private:
  struct Document {
    std::unique_ptr<TSGML> root;
    int holders = 0;
    size_t elements = 0;
    size_t bytes = 0;
    std::map<const TSGML*, std::unique_ptr<TCmmlElement>> handles;
  };
  TCmmlElement* handleOf(Document& document, uint32_t id, TSGML& element, int depth);
  bool take(Document& document, size_t elements, size_t bytes);

  std::map<uint32_t, Document> documents_;
  uint32_t nextId_ = 1;
  size_t elements_ = 0;
  size_t bytes_ = 0;
};

// A document read from a script's text: text starting with "<" is a document's
// text form (as toText() writes it, read as tag files are); other text T is the tag
// of a lone first element, read as "<" + T + "/>". nullptr when the text holds no
// element or nests too deep.
std::unique_ptr<TSGML> ReadCmmlDocument(const std::string& text);

// The current player's documents.
CmmlDocuments& cmmlDocuments();

}  // namespace zunka
