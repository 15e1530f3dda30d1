// Writes 7z archives (the resource archive and web media archives) by running 7-Zip's
// 7zz. Input files are staged with fixed permissions and stored without timestamps,
// single-threaded and in sorted order, so that an unencrypted archive is the same bytes
// on every build.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "build_plan.h"
#include "project_source.h"

namespace velkor::build {

// `password` non-empty encrypts the data and the names (encrypted archives differ from
// build to build: 7-Zip salts them).
void WriteArchive(const std::filesystem::path& archive, const std::vector<OutputFile>& files,
                  const ProjectSource& source, const std::u16string& password = {});

// Unpacks every item of `archive` into `folder`.
void ExtractArchive(const std::filesystem::path& archive, const std::filesystem::path& folder,
                    const std::u16string& password = {});

// Writes one output file (copied from the project or generated) to `target`, creating
// its folder.
void WriteOutputFile(const OutputFile& file, const ProjectSource& source,
                     const std::filesystem::path& target);

// Runs 7zz with `arguments` in `folder`; throws BuildError with 7-Zip's output when it
// fails. The program is $VELKOR_7ZZ, else 7zz on the PATH.
void RunSevenZip(const std::vector<std::string>& arguments, const std::filesystem::path& folder);

}  // namespace velkor::build
