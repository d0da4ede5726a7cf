// Every file operation of the program goes through this small layer, so a
// test can replace it and make any operation fail.
//
// Files are never rewritten in place: an OutputFile writes to a temporary
// name in the target's directory and commit() renames it over the target.
// An OutputFile dropped without commit() removes its temporary file. Only a
// target that exists and is neither a regular file nor a folder (a device,
// a FIFO, a link to one) is written through, never renamed over.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/errors.h"

namespace compactor {

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Each call goes to the system as it is: gather small pieces first.
  virtual void write(std::string_view bytes) = 0;
  // Whether write_at works: a file on disk, not a device or a pipe.
  virtual bool writes_at() const { return false; }
  // `bytes` at `offset` from the start of the file, however much was
  // written before; only when writes_at(), and a file written this way is
  // written this way only. Throws PlatformError.
  virtual void write_at(uint64_t /*offset*/, std::string_view /*bytes*/) { throw std::logic_error("no write_at"); }
  // A hint: the file is about to hold this many bytes. Their space is taken
  // at once, before the first write; the file may still end shorter or
  // longer. Never fails.
  virtual void reserve(uint64_t /*bytes*/) {}
  // Everything but putting the file in place: what is written is complete
  // and closed, so that several files can be finished first and then put in
  // place one after the other. Throws PlatformError.
  virtual void finish() {}
  // Finishes when not yet done and renames over the target; throws
  // PlatformError.
  virtual void commit() = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  virtual bool exists(const std::string& path) = 0;
  // The whole file; throws PlatformError.
  virtual std::string read(const std::string& path) = 0;
  // The file's first `limit` bytes, or all of a shorter file: a reader that
  // knows how long its files can be asks for one byte more and never holds
  // more than that of a file that is far too long. Throws PlatformError.
  virtual std::string read_at_most(const std::string& path, uint64_t limit) = 0;
  // The names of the regular files in `folder`, sorted; throws PlatformError.
  virtual std::vector<std::string> list(const std::string& folder) = 0;
  virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
  // Throws PlatformError, also when the file does not exist.
  virtual void remove(const std::string& path) = 0;
};

// The files of the machine.
Files& real_files();

// Writes a whole file through `files`, replacing any file of that name.
void write_whole(Files& files, const std::string& path, std::string_view bytes);

}  // namespace compactor
