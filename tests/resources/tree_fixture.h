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

// Records the snippets it is asked to run.
class RecordingEvaluator : public SnippetEvaluator {
 public:
  void Evaluate(std::string_view source) override { sources.emplace_back(source); }
  std::vector<std::string> sources;
};

}  // namespace zunka::testing
