// Path and file-name helpers on the game's paths (CP932, "\" between
// folders, relative to the working folder), and the numbered versions of a
// stage file: "name.stg4" is stored as "name.stg4_000", "name.stg4_001"...,
// and the highest number that exists is the one read.
#pragma once

#include <string>

#include "platform/win_types.h"

// A relative path is left alone; an absolute one is made relative to the
// working folder. FALSE when the working folder cannot be read.
BOOL MakeRelativePath(std::string& path);
inline BOOL MakeRelativePathStr(std::string& path) { return MakeRelativePath(path); }
// An absolute path is left alone; otherwise the working folder, "\" and the
// path. FALSE when the working folder cannot be read.
BOOL MakeAbsolutePath(std::string& path);
// Keeps only what follows the last "\" (a "\" that is the second byte of a
// double-byte character is not a separator).
void StripDirectory(std::string& path);

// The extension helpers look for the last "." of the file name only, never
// of a folder's name.
BOOL ReplaceExtension(std::string& dst, const std::string& src, const char* pszExt);
BOOL RemoveExtension(std::string& path);
inline BOOL RemoveExtensionStr(std::string& path) { return RemoveExtension(path); }
BOOL GetExtension(std::string& dst, const std::string& path);
// "name.ext" -> "name_" digit digit ".ext"; each digit is '0' + its value.
BOOL MakeNumberedName(std::string& dst, const std::string& src, int nDigit1, int nDigit2);
// The newest numbered file "path(with ext)_NNN" that exists; FALSE (and dst
// untouched) when none does.
BOOL FindLatestNumberedFile(std::string& dst, const std::string& path, const char* pszExt);
inline BOOL FindLatestNumberedFileStr(std::string& dst, const std::string& path, const char* pszExt) {
  return FindLatestNumberedFile(dst, path, pszExt);
}

// The position just after the last separator ("\" or "/") of a path, or 0.
size_t FileNameStart(const std::string& path);
