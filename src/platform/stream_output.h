#pragma once
#include <cstdio>
#include <memory>
#include <string>

#include "platform/text_output.h"

namespace zunka::platform {

// Lines to a C stream: standard output, standard error, or a file it owns.
class StreamOutput : public TextOutput {
 public:
  static StreamOutput& standardOutput();
  static StreamOutput& standardError();
  // A new or truncated file at `hostPath`; nothing when it cannot be created.
  static std::unique_ptr<StreamOutput> createFile(const std::string& hostPath);

  StreamOutput(std::FILE* stream, bool owned) : stream_(stream), owned_(owned) {}
  ~StreamOutput() override;
  StreamOutput(const StreamOutput&) = delete;
  StreamOutput& operator=(const StreamOutput&) = delete;

  void writeLine(std::string_view utf8) override;
  bool isStandardError() const { return stream_ == stderr; }

 private:
  std::FILE* stream_;
  bool owned_;
};

}  // namespace zunka::platform
