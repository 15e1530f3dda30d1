// Name-based GUIDs (version 5: SHA-1 of a namespace GUID and a name). The build tool
// derives every generated identifier this way so that two builds of the same project
// are byte-identical.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/guid.h"

namespace velkor::build {

core::Guid NameGuid(const core::Guid& name_space, std::string_view name);

// The first 32 bits of SHA-1(namespace, name): the seed of short generated names.
uint32_t NameHash32(const core::Guid& name_space, std::string_view name);

}  // namespace velkor::build
