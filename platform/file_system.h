// Files and folders under the game's paths. The game names files as Windows
// did: CP932 bytes, "\" between folders, any letter case. Every open, query
// and folder operation resolves such a name to the file on disk here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// The native path for a game path: CP932 is turned into UTF-8 first (a trail
// byte can be 0x5C), then "\" becomes "/", then each component that exists on
// disk under another letter case is replaced by the name on disk. Components
// that do not exist are kept as given, so that new files can be created.
std::string ResolvePath(std::string_view cp932Path);

// fopen through the resolver. Only a regular file opens: a folder, a named
// pipe, a device or a socket in a file's place gives null (errno EINVAL), as
// a missing file does, and never blocks (a pipe with no writer would hold
// the open for good). Write modes create and empty the file as fopen does.
FILE* OpenFile(std::string_view cp932Path, const char* mode);
// The same rule for a native path that is already resolved.
FILE* OpenNativeFile(const std::string& nativePath, const char* mode);

// The whole of a file (CP932 game path) into vBytes. FILEREAD_NOFILE when it
// does not open (missing, or not a regular file); FILEREAD_FAILED when it is
// larger than nMaxBytes (refused before anything is allocated for it) or a
// read fails.
enum FILEREADRESULT { FILEREAD_OK, FILEREAD_NOFILE, FILEREAD_FAILED };
FILEREADRESULT ReadFileBytes(std::string_view cp932Path, uint64_t nMaxBytes, std::vector<uint8_t>& vBytes);

// INVALID_FILE_ATTRIBUTES when nothing of that name exists; otherwise
// FILE_ATTRIBUTE_DIRECTORY for a folder and FILE_ATTRIBUTE_ARCHIVE for a file.
DWORD GetFileAttributesA(std::string_view cp932Path);
BOOL PathIsDirectoryA(std::string_view cp932Path);
BOOL PathFileExistsA(std::string_view cp932Path);
// Creates one folder; FALSE when it exists already or cannot be made.
BOOL CreateDirectoryA(std::string_view cp932Path);

// The names (CP932, no folder part) of the entries of a folder; empty when
// the folder does not exist. Names that CP932 cannot hold are left out.
std::vector<std::string> ListFolder(std::string_view cp932Folder);

// The working folder as CP932 with "\" separators ("" when it cannot be read
// or has no CP932 form).
std::string GetCurrentDirectoryCp932();
