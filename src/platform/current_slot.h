#pragma once
#include <utility>

namespace zunka::platform {

// Where a layer keeps the current one of its state objects: the player context
// installs its own on creation and puts the previous one back when it goes.
template <class T>
class CurrentSlot {
 public:
  T& get() const { return *current_; }
  // Makes `object` current; gives the one it replaces.
  T* set(T* object) { return std::exchange(current_, object); }

 private:
  T* current_ = nullptr;
};

}  // namespace zunka::platform
