#pragma once
#include <string>
#include <string_view>

#include "resources/resource.h"

namespace zunka {

class TResourceList;

// A name no child of `list` has: `name` itself when free, else its stem (without a
// trailing "_digits") + "_" + one more than the largest such number among children
// whose names contain the stem.
std::string UniqueChildName(const TResourceList& list, std::string_view name);

// Adds a copy of every child of `source` that `target` has no child of that name
// for; true when something was added.
bool MergeMissing(TResourceList& target, const TResourceList& source);

// Editing operations of the project manager, page loading and modules. Paths are
// dotted paths from the root.
enum class NewResourceKind { List = 0, Global = 1, Class = 2, Link = 3 };
// Makes a resource of the kind named `LastName(path)` with `src` = `file` (creating
// a starter file for a class or link whose file is missing) and adds it under
// `ParentPath(path)`. Gives the resource, or nullptr when that parent is missing.
TResource* CreateResourceAt(std::string_view file, std::string_view path, NewResourceKind kind);
// Names `list` after the path and adds it under the parent path (when that exists).
void AttachAt(std::string_view path, ResourcePtr list);
// Destroys the resource at `path` (raising, and keeping it, when it must stay).
void RemoveAt(std::string_view path);
// Writes the resource's tag lines to its `src` file; "は保存できません" without one.
void SaveResource(std::string_view path);

}  // namespace zunka
