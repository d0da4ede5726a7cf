// Test double of the file layer: hands every call to another Files and makes
// one of them, the Nth, fail the way a disk or a system does. Header-only,
// so nothing of it reaches the program.
//
// The calls that can fail are read, list, create, write, commit and remove;
// a commit fails either on close or on rename. exists() cannot fail in this
// interface (an unreadable entry is simply not there) and is not counted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace compactor::testing {

class FailingFiles : public Files {
 public:
  enum class Operation { read, list, create, write, commit, remove };
  // How a failing commit fails.
  enum class Commit { closing, rename_ };

  struct Call {
    Operation operation;
    std::string path;
  };

  // Call `fault` (1-based) fails; 0 lets every call through.
  explicit FailingFiles(Files& below, int64_t fault = 0, Commit commit = Commit::closing)
      : below_(below), fault_(fault), commit_(commit) {}

  // Every call that could fail, in order, the failed one included.
  const std::vector<Call>& calls() const { return calls_; }
  bool failed_() const { return fault_ > 0 && static_cast<int64_t>(calls_.size()) >= fault_; }
  // The reason the failed call gives, as the real layer words it.
  std::string reason() const {
    if (!failed_()) return {};
    switch (calls_[static_cast<size_t>(fault_ - 1)].operation) {
      case Operation::read:
        return "cannot read: Input/output error";
      case Operation::list:
        return "cannot list: Input/output error";
      case Operation::create:
        return "cannot create: No space left on device";
      case Operation::write:
        return "cannot write: No space left on device";
      case Operation::commit:
        return commit_ == Commit::closing ? "cannot close: Input/output error" : "cannot rename: Permission denied";
      case Operation::remove:
        return "cannot delete: Permission denied";
    }
    return {};
  }

  bool exists(const std::string& path) override { return below_.exists(path); }

  std::string read(const std::string& path) override {
    if (count(Operation::read, path)) fail(path);
    return below_.read(path);
  }

  std::string read_at_most(const std::string& path, uint64_t limit) override {
    if (count(Operation::read, path)) fail(path);
    return below_.read_at_most(path, limit);
  }

  std::vector<std::string> list(const std::string& folder) override {
    if (count(Operation::list, folder)) fail(folder);
    return below_.list(folder);
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    if (count(Operation::create, path)) fail(path);
    return std::make_unique<Output>(*this, below_.create(path), path);
  }

  void remove(const std::string& path) override {
    if (count(Operation::remove, path)) fail(path);
    below_.remove(path);
  }

 private:
  class Output : public OutputFile {
   public:
    Output(FailingFiles& files, std::unique_ptr<OutputFile> true_, std::string path)
        : files_(files), truth_(std::move(true_)), path_(std::move(path)) {}

    void write(std::string_view bytes) override {
      if (files_.count(Operation::write, path_)) {
        // A full disk takes part of the bytes before it refuses the rest.
        truth_->write(bytes.substr(0, bytes.size() / 2));
        files_.fail(path_);
      }
      truth_->write(bytes);
    }

    bool writes_at() const override { return truth_->writes_at(); }
    void write_at(uint64_t offset, std::string_view bytes) override {
      if (files_.count(Operation::write, path_)) {
        truth_->write_at(offset, bytes.substr(0, bytes.size() / 2));
        files_.fail(path_);
      }
      truth_->write_at(offset, bytes);
    }

    void reserve(uint64_t bytes) override { truth_->reserve(bytes); }

    // Failing, the real file is not committed: it is dropped, as the real
    // layer drops a file whose close or rename failed.
    void commit() override {
      if (files_.count(Operation::commit, path_)) files_.fail(path_);
      truth_->commit();
    }

   private:
    FailingFiles& files_;
    std::unique_ptr<OutputFile> truth_;
    std::string path_;
  };

  // Counts a call; true when it is the one to fail.
  bool count(Operation o, const std::string& path) {
    calls_.push_back({o, path});
    return static_cast<int64_t>(calls_.size()) == fault_;
  }

  [[noreturn]] void fail(const std::string& path) { throw PlatformError(path, reason()); }

  Files& below_;
  int64_t fault_;
  Commit commit_;
  std::vector<Call> calls_;
};

}  // namespace compactor::testing
