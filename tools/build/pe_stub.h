// A minimal valid Windows executable image: DOS header, PE headers and one section of
// 512 bytes. It stands in for the engine image in tests and in "--engine stub" builds:
// the simulator and the loader only need its headers to find where the script starts.
#pragma once

#include <string>

namespace velkor::build {

enum class StubKind { kPe32, kPe32Plus };

std::string MakeStubImage(StubKind kind = StubKind::kPe32);

}  // namespace velkor::build
