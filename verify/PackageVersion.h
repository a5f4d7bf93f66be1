#pragma once
// The file version a package's own version resource states, read from the bytes behind a handle.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// A file version as VS_FIXEDFILEINFO holds it: dwFileVersionMS in the high half, so that the
// numbers compare as the versions do.
using TFileVersion = uint64_t;

// The version in the VS_FIXEDFILEINFO of the PE image behind `file` (opened with read access;
// the caller keeps it). Empty when the file is no image, has no version resource, or one whose
// offsets or sizes do not hold together.
std::optional<TFileVersion> PackageFileVersion(HANDLE file);

// "a.b.c.d".
std::wstring VersionText(TFileVersion version);
