#pragma once
// Starting the installer package: from the very file that was checked, not from whatever its
// path names by the time the shell opens it.
#include <windows.h>

#include <string>

#include "sys/Handles.h"

// The package opened for reading with read sharing only: while the handle lives nothing can
// write, rename or delete it. Invalid when it cannot be opened.
TFileHandle OpenPackageForLaunch(const std::wstring& path);

// The final path of the open file, as the shell takes it ("C:\..." or "\\server\share\...");
// empty when the system cannot tell.
std::wstring FinalPathOf(HANDLE file);

// Starts the file behind `package` (held open by the caller until this returns) by its final
// path with the shell's "open" verb, its own folder as the working folder. False, and nothing
// started, when that path opened by name is not the held file or is too long for the shell, or
// when the shell could not start it.
bool StartPackage(HANDLE package, HWND owner);
