#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zunka {

// What the frame loop asks of the pages and scripts it runs.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // Page requests: pending, and carrying out the pending one.
  virtual bool hasRequest() = 0;
  virtual void processRequest() = 0;
  // Sets the global $_doDraw to 0 or 1 before each frame.
  virtual void setDoDraw(int32_t on) = 0;
  // Evaluates a script snippet, reporting its errors (pause and resume).
  virtual void evaluateSnippet(std::string_view source) = 0;
  // The memory statistics text shown after the frame digits ("// GC=...").
  virtual std::string statisticsText() = 0;
};

// The pages of the booted kernel: the installed project manager, the globals of
// the resource tree and the installed snippet evaluator. Before the kernel boots
// there is no request, no global and no evaluator, so each call does nothing.
class KernelPages final : public PageHost {
 public:
  bool hasRequest() override;
  void processRequest() override;
  void setDoDraw(int32_t on) override;
  void evaluateSnippet(std::string_view source) override;
  std::string statisticsText() override;
};

}  // namespace zunka
