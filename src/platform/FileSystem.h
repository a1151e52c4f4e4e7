#pragma once

#include <filesystem>
#include <string>

namespace vesk {

// File and folder helpers. Paths are the core's UTF-8 text; the platform converts at its edge.

// The standard library's path for the core's UTF-8 path text.
std::filesystem::path toFsPath(const std::string& path);

// The path separator of this platform ('/' here, '\\' on Windows).
char pathSeparator();

// True only for an existing regular file: a folder or an empty path gives false.
bool fileExists(const std::string& path);

// True for an existing folder.
bool folderExists(const std::string& path);

// Creates the folder with every missing parent. True when the folder exists afterwards.
bool forceFolders(const std::string& path);

// Hands a file's (or a folder's) written data to the disk, so a rename that follows survives a
// power cut. True on success.
bool flushToDisk(const std::string& path);

// The folder that holds the running executable, without a trailing separator.
std::string executableFolder();

// Joins a folder and a name with exactly one separator between them.
std::string joinPath(const std::string& folder, const std::string& name);

// The folder part of a path, without a trailing separator (except at a root); empty when the
// path has no folder part. Both '/' and the platform separator count as separators.
std::string folderOf(const std::string& path);

// The last component of a path.
std::string fileNameOf(const std::string& path);

}  // namespace vesk
