// Reading and writing the game's files ("dod_eved.dat", "diraviru_keys.txt", "char.bmp",
// replays) so that whatever lies at their path can neither block the program nor be mistaken
// for a file: a named pipe opened for reading waits for a writer, and a folder or a device
// reads as nothing like the file the game wrote. Only regular files are read; the rest are
// refused with a reason. Files are replaced whole or not at all.
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

// Writes all `size` bytes to the open file descriptor; false, with errno set, when a write
// fails.
using FileWriter = bool (*)(int fd, const char* data, std::size_t size);
bool writeAllBytes(int fd, const char* data, std::size_t size);

// Replaces the file at `path` with `bytes`: writes "<path>.tmp" through `writer`, flushes it
// to disk, closes it and renames it over `path`. On any failure the result is false, `path`
// keeps its previous content, no temporary file of ours is left, and `error` says which
// step failed and why: "<path>.tmp: No space left on device" for the temporary file,
// "renaming <path>.tmp over it: ..." for the rename, and "not a regular file, not replaced"
// when `path` is a folder, a named pipe or a device (which a rename would replace or fail
// on). The game saves every file with it and writeAllBytes; a test passes a writer that
// fails part way.
bool replaceFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                           FileWriter writer = writeAllBytes);

}  // namespace platform
