// Reading the game's files ("dod_eved.dat", "char.bmp") so that whatever lies at their path
// can neither block the program nor be mistaken for a file: a named pipe opened for reading
// waits for a writer, and a folder or a device reads as nothing like the file the game
// wrote. Only regular files are read; the rest are refused with a reason.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The reason for a path that is there but is not a regular file (a folder, a named pipe,
// a device).
inline constexpr const char* kNotRegularFile = "not a regular file";

// Reads the regular file at `path` into `bytes`, at most maxBytes of it (a longer file is
// cut there). The open never blocks (a named pipe is refused, not waited on). False, with
// `bytes` empty and the reason in `error` (the system's message, such as "No such file or
// directory", or kNotRegularFile), when there is no such file, it cannot be read, or it is
// not a regular file.
bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     std::string& error);

// Whether `path` names something other than a regular file (following a symbolic link).
// A missing path is not.
bool isPresentButNotRegular(const std::string& path);

// The path as an absolute one, for messages that name it; as it is when the current folder
// is gone.
std::string absolutePath(const std::string& path);

}  // namespace platform
