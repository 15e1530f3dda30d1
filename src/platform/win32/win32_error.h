// Failures of Windows calls as platform Status values: the error code and the system's
// own message text, with what the backend was doing. The one place where win32 errors
// are mapped.
#pragma once

#include "platform/win32/windows_api.h"

#include <string_view>

#include "platform/status.h"

namespace velkor::platform::win32 {

// A failure with `code` (a GetLastError or LSTATUS value); 0 still reports a failure.
Status ErrorStatus(DWORD code, std::u16string_view action, std::u16string_view subject = {});

// The failure of the call that just returned, from GetLastError.
Status LastErrorStatus(std::u16string_view action, std::u16string_view subject = {});

// Success for ERROR_SUCCESS, else the failure: registry calls return their error.
Status RegistryStatus(LSTATUS code, std::u16string_view action, std::u16string_view subject = {});

}  // namespace velkor::platform::win32
