// The failures the sandbox's file system reports, worded once.
#pragma once

#include <string>
#include <string_view>

#include "platform/sandbox/path_mapper.h"
#include "platform/status.h"

namespace velkor::platform::sandbox {

inline Status Failure(uint32_t code, std::u16string_view path, std::u16string_view what) {
  return Status::Failure(code, std::u16string(path) + u": " + std::u16string(what));
}

// A missing entry: kFileNotFound in an existing folder, kPathNotFound otherwise.
inline Status NotFound(std::u16string_view path, const MappedPath& mapped) {
  if (mapped.parent_exists) return Failure(error::kFileNotFound, path, u"not found");
  return Failure(error::kPathNotFound, path, u"the folder does not exist");
}

}  // namespace velkor::platform::sandbox
