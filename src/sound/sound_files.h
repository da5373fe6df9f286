#pragma once
#include <string>
#include <string_view>

// How the synthesiser reaches files (tone files and the samples a sequence
// loads): system paths, `\` separators, Shift_JIS names. The player gives it the
// host's files; tests give it files in memory.
namespace zunka::sound {

class SoundFiles {
 public:
  virtual ~SoundFiles() = default;
  virtual bool exists(std::string_view path) = 0;
  // The whole file; false when it cannot be read.
  virtual bool read(std::string_view path, std::string& bytes) = 0;
  // The program's own directory, where samples named without one are also looked for:
  // the system directory, which an installed player keeps apart from its executable.
  virtual std::string programDirectory() = 0;
};

// The host's file system (platform/files.h), the system directory (the executable's
// until the system has started).
class PlatformSoundFiles final : public SoundFiles {
 public:
  bool exists(std::string_view path) override;
  bool read(std::string_view path, std::string& bytes) override;
  std::string programDirectory() override;
};

// No files at all.
class NoSoundFiles final : public SoundFiles {
 public:
  bool exists(std::string_view) override { return false; }
  bool read(std::string_view, std::string&) override { return false; }
  std::string programDirectory() override { return {}; }
};

}  // namespace zunka::sound
