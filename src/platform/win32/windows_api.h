// <windows.h> for the win32 backend. The platform interfaces use names that windows.h
// turns into macros (DeleteFile -> DeleteFileW); they are undone here so that the
// interfaces mean the same in every translation unit. Call the API by its W name.
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef MoveFile
