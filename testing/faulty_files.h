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
  enum class Operazione { read, list, create, write, commit, remove };
  // How a failing commit fails.
  enum class Commit { chiusura, rinomina };

  struct Chiamata {
    Operazione operazione;
    std::string path;
  };

  // Call `guasto` (1-based) fails; 0 lets every call through.
  explicit FailingFiles(Files& sotto, int64_t guasto = 0, Commit commit = Commit::chiusura)
      : sotto_(sotto), guasto_(guasto), commit_(commit) {}

  // Every call that could fail, in order, the failed one included.
  const std::vector<Chiamata>& chiamate() const { return chiamate_; }
  bool fallita() const { return guasto_ > 0 && static_cast<int64_t>(chiamate_.size()) >= guasto_; }
  // The reason the failed call gives, as the real layer words it.
  std::string motivo() const {
    if (!fallita()) return {};
    switch (chiamate_[static_cast<size_t>(guasto_ - 1)].operazione) {
      case Operazione::read:
        return "cannot read: Input/output error";
      case Operazione::list:
        return "cannot list: Input/output error";
      case Operazione::create:
        return "cannot create: No space left on device";
      case Operazione::write:
        return "cannot write: No space left on device";
      case Operazione::commit:
        return commit_ == Commit::chiusura ? "cannot close: Input/output error" : "cannot rename: Permission denied";
      case Operazione::remove:
        return "cannot delete: Permission denied";
    }
    return {};
  }

  bool exists(const std::string& path) override { return sotto_.exists(path); }

  std::string read(const std::string& path) override {
    if (conta(Operazione::read, path)) fallisci(path);
    return sotto_.read(path);
  }

  std::string read_at_most(const std::string& path, uint64_t limit) override {
    if (conta(Operazione::read, path)) fallisci(path);
    return sotto_.read_at_most(path, limit);
  }

  std::vector<std::string> list(const std::string& folder) override {
    if (conta(Operazione::list, folder)) fallisci(folder);
    return sotto_.list(folder);
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    if (conta(Operazione::create, path)) fallisci(path);
    return std::make_unique<Uscita>(*this, sotto_.create(path), path);
  }

  void remove(const std::string& path) override {
    if (conta(Operazione::remove, path)) fallisci(path);
    sotto_.remove(path);
  }

 private:
  class Uscita : public OutputFile {
   public:
    Uscita(FailingFiles& files, std::unique_ptr<OutputFile> vero, std::string path)
        : files_(files), vero_(std::move(vero)), path_(std::move(path)) {}

    void write(std::string_view bytes) override {
      if (files_.conta(Operazione::write, path_)) {
        // A full disk takes part of the bytes before it refuses the rest.
        vero_->write(bytes.substr(0, bytes.size() / 2));
        files_.fallisci(path_);
      }
      vero_->write(bytes);
    }

    void reserve(uint64_t bytes) override { vero_->reserve(bytes); }

    // Failing, the real file is not committed: it is dropped, as the real
    // layer drops a file whose close or rename failed.
    void commit() override {
      if (files_.conta(Operazione::commit, path_)) files_.fallisci(path_);
      vero_->commit();
    }

   private:
    FailingFiles& files_;
    std::unique_ptr<OutputFile> vero_;
    std::string path_;
  };

  // Counts a call; true when it is the one to fail.
  bool conta(Operazione o, const std::string& path) {
    chiamate_.push_back({o, path});
    return static_cast<int64_t>(chiamate_.size()) == guasto_;
  }

  [[noreturn]] void fallisci(const std::string& path) { throw PlatformError(path, motivo()); }

  Files& sotto_;
  int64_t guasto_;
  Commit commit_;
  std::vector<Chiamata> chiamate_;
};

}  // namespace compactor::testing
