// Paths as the tool takes them from authors and shows them back. Every
// question to the file system here takes an error code: a path the system
// refuses (too long, not UTF-8, in a folder that cannot be read) is an
// answer, never an exception.
#pragma once

#include <string>

namespace compactor::cli {

// A directory named on the command line, without the trailing "/" that
// would double the separator in the file names formed from it.
std::string without_trailing_slashes(std::string folder);

// A path for people: its directory is the author's own text (UTF-8) and is
// shown as given; its file name is a scenario's Windows-1252 name.
std::string shown_path(const std::string& path);

// Makes directory `dir` and its parents when they are missing. Empty when
// `dir` is a directory afterwards; else why not, in words.
std::string make_directory(const std::string& dir);

// `dir` as an absolute path without a trailing "/"; as given (without the
// "/") when the working directory cannot be found.
std::string absolute_directory(const std::string& dir);

// True when `path` names a directory; false for anything else, also a path
// the system refuses.
bool is_directory(const std::string& path);

}  // namespace compactor::cli
