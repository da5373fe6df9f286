#pragma once
// A booted kernel for tests of projects, pages, generators and custom
// resources: the repository's kernel library copied into a fresh base
// directory (so class files, Temp and projects land there), the test's own
// Boot (it places the page's objects and idles), and small stand-ins for the
// helpers generated placement scripts call (getResource(path).getTObject(),
// appear), so that the host side is checked whatever the game layer of the
// kernel library does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "resources/project_manager.h"
#include "shell/kernel_boot.h"
#include "support/recording_console.h"
#include "support/temp_dir.h"
#include "vm/value.h"

namespace zunka::testing {

class KernelWorldTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs once the kernel library is in place, before it boots (to add modules).
  virtual void beforeBoot() {}

  // System path of a file below the base directory (its directories made);
  // writes `text` there.
  std::string write(std::string_view relative, std::string_view text);
  std::string path(std::string_view relative) const;
  std::string read(std::string_view relative) const;

  TPrjManager& projects() { return kernel->projects(); }
  // Compiles and runs a snippet (its class extends Object); gives its outcome
  // (0 ran, 1 did not compile, 2 failed).
  int run(std::string_view statements);
  // The text form of a global's value ("" when it does not exist).
  std::string global(std::string_view name);
  // Runs the root process for `frames` frames, then carries out a page request,
  // as the frame loop does.
  void frames(int count);

  TempDir dir;
  RecordingConsole console;
  // What the boot said, before the console was cleared for the test.
  std::vector<std::string> bootLog, bootErrors;
  std::unique_ptr<KernelBoot> kernel;

 private:
  void copyKernel();
  std::string savedDirectory_;
  ConsoleSink* previousConsole_ = nullptr;
};

// Lines of the console that contain `part`.
int countContaining(const std::vector<std::string>& lines, std::string_view part);

}  // namespace zunka::testing
