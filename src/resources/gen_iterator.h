#pragma once
#include <string>
#include <vector>

#include "resources/resource.h"

namespace zunka {

class TGenerator;

// Writes the placement script of a page: two walks over `usr`. The first creates
// every object (and assigns the page's globals) in page order; the second, once
// every object exists, assigns their members, links them to their generators and
// lets them appear. The script starts by recording whether the page file has
// changed since it was written ($_hashCode is 0 while it has not) and by clearing
// what the previous page left running.
class TGenIterator : public TResourceIterator {
 public:
  // `pageHash` is the hash of the current page file now.
  explicit TGenIterator(int32_t pageHash);

  void VisitResource(TResource& resource) override;
  void setPass(int pass) { pass_ = pass; }

  // Where a snippet comes from, for the message when it does not compile: the
  // generator's (or global's) name and the attribute whose text it holds
  // ("inst_x", "className", "name", "value").
  struct Origin {
    std::string owner;
    std::string attribute;
  };

  // The snippets collected so far, each as the script will hold it.
  const std::vector<std::string>& snippets() const { return snippets_; }
  const std::vector<Origin>& origins() const { return origins_; }
  // The whole script: a first line, then each snippet followed by a check point
  // that records how far a run got; lines end with CR LF. With `keep`, only the
  // snippets it marks (the check points count them).
  std::string ScriptText(const std::vector<bool>* keep = nullptr) const;

 private:
  void add(std::string snippet, Origin origin = {});
  void createObject(TGenerator& gen);
  void setUpObject(TGenerator& gen);

  std::vector<std::string> snippets_;
  std::vector<Origin> origins_;
  int pass_ = 0;
};

}  // namespace zunka
