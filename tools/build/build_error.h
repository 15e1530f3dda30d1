// The one error type of the build tool. Every error that comes from project input
// names the project file and line that caused it, so the author can go straight there.
#pragma once

#include <stdexcept>
#include <string>

namespace velkor::build {

// A place in the project: a project-relative file path ('/' separated) and a 1-based
// line number (0 when the error concerns the whole file).
struct SourcePlace {
  std::string file;
  int line = 0;
};

class BuildError : public std::runtime_error {
 public:
  explicit BuildError(const std::string& message);
  BuildError(const SourcePlace& place, const std::string& message);

  const SourcePlace& place() const { return place_; }

 private:
  SourcePlace place_;
};

// "file:line: " (or "file: ", or nothing) as the prefix of a message.
std::string PlacePrefix(const SourcePlace& place);

}  // namespace velkor::build
