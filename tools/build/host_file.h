// Whole files of the build host read and written in one go (the build tool is a host
// program: it reads projects and engine images and writes outputs with the host's
// file system directly).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::build {

// The file's bytes; nullopt when it cannot be opened.
std::optional<std::string> ReadHostFile(const std::filesystem::path& path);

// Creates or overwrites the file (its folder must exist); throws BuildError
// ("<path>: cannot write") when that fails.
void WriteHostFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velkor::build
