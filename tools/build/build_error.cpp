#include "build_error.h"

namespace velkor::build {

std::string PlacePrefix(const SourcePlace& place) {
  if (place.file.empty()) return {};
  if (place.line <= 0) return place.file + ": ";
  return place.file + ":" + std::to_string(place.line) + ": ";
}

BuildError::BuildError(const std::string& message) : std::runtime_error(message) {}

BuildError::BuildError(const SourcePlace& place, const std::string& message)
    : std::runtime_error(PlacePrefix(place) + message), place_(place) {}

}  // namespace velkor::build
