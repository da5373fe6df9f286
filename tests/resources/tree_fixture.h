#pragma once
// Per-test resource tree on top of the virtual machine's test world.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/global_value.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "support/class_world.h"
#include "support/vm_world.h"

namespace zunka::testing {

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VmWorld::get().console.clear();
    world = std::make_unique<ClassWorld>();
    // The checked-in tag files lie outside the world's base directory: the
    // tests read them as files of a folder the user opened.
    projectState().openedFolders = {dataDir()};
  }
  void TearDown() override {
    projectState().openedFolders.clear();
    setSnippetEvaluator(nullptr);
    world.reset();
  }
  RecordingConsole& console() { return VmWorld::get().console; }
  // The directory of the checked-in tag files, in system form.
  static std::string dataDir() {
    return platform::systemPath(ZUNKA_SOURCE_DIR "/tests/resources/data");
  }

  std::unique_ptr<ClassWorld> world;
};

// Records the snippets it is asked to run and plays the few the tree uses.
class RecordingEvaluator : public SnippetEvaluator {
 public:
  explicit RecordingEvaluator(TRTTI* objectClass) : objectClass_(objectClass) {}
  void Evaluate(std::string_view source) override {
    sources.emplace_back(source);
    if (source == "$_2=new BuiltInResource($_1);") {
      TValue made = newObject(objectClass_);
      vm::assign(*GlobalCell("$_2"), &made);
      vm::release(made);
    } else if (source == "$_1.onDestroy();") {
      destroyed.push_back(vm::toText(*GlobalCell("$_1")));
    }
  }
  std::vector<std::string> sources;
  std::vector<std::string> destroyed;

 private:
  TRTTI* objectClass_;
};

}  // namespace zunka::testing
