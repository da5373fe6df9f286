#include "platform/stream_output.h"

namespace zunka::platform {

StreamOutput& StreamOutput::standardOutput() {
  static StreamOutput out(stdout, false);
  return out;
}

StreamOutput& StreamOutput::standardError() {
  static StreamOutput err(stderr, false);
  return err;
}

std::unique_ptr<StreamOutput> StreamOutput::createFile(const std::string& hostPath) {
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (!file) return nullptr;
  return std::make_unique<StreamOutput>(file, true);
}

StreamOutput::~StreamOutput() {
  if (owned_) std::fclose(stream_);
}

void StreamOutput::writeLine(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream_);
  std::fputc('\n', stream_);
  // Flushed per line: output of a game that later crashes or is killed is not lost,
  // and stdout and stderr interleave in the order things happened.
  std::fflush(stream_);
}

}  // namespace zunka::platform
