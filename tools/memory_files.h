// Files held in memory: the fuzz targets, the benchmarks and the tests of
// hostile input run thousands of compiles a second without touching the
// disk. Same contract as the real layer: a file appears only on commit, whole.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "model/modello.h"
#include "model/nomi_file.h"
#include "platform/files.h"

namespace compactor {

class FileInMemoria : public Files {
 public:
  bool exists(const std::string& path) override { return file_.count(path) != 0; }

  std::string read(const std::string& path) override {
    const auto it = file_.find(path);
    if (it == file_.end()) throw PlatformError(path, "cannot open: No such file or directory");
    return it->second;
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override { return std::make_unique<Uscita>(*this, path); }

  void remove(const std::string& path) override {
    if (file_.erase(path) == 0) throw PlatformError(path, "cannot delete: No such file or directory");
  }

  void metti(const std::string& path, std::string bytes) { file_[path] = std::move(bytes); }

 private:
  class Uscita : public OutputFile {
   public:
    Uscita(FileInMemoria& files, std::string path) : files_(files), path_(std::move(path)) {}
    void write(std::string_view bytes) override { bytes_.append(bytes); }
    void commit() override { files_.file_[path_] = std::move(bytes_); }

   private:
    FileInMemoria& files_;
    std::string path_;
    std::string bytes_;
  };

  std::map<std::string, std::string> file_;
};

// Two sources in memory under the names the loader looks for, and the model
// of route R and train T to load them into.
struct SorgentiInMemoria {
  FileInMemoria files;
  NomiFile nomi = nomi_file("/r", "R", "T");
  Modello m;

  SorgentiInMemoria(std::string_view linea, std::string_view treno) {
    files.metti(nomi.linea_txt, std::string(linea));
    files.metti(nomi.treno_txt, std::string(treno));
    m.nome_percorso = "R";
    m.nome_treno = "T";
  }
};

// The scenario file walked row by row, each text behind its 2-byte length:
// the first row whose length is not its text's, or that the file ends
// within; the number of rows when the file runs on after the last; -1 when
// the rows fill the file exactly.
inline int riga_scenario_sbagliata(std::string_view bytes, const Stazioni& stazioni) {
  size_t p = 0;
  int r = 0;
  for (const stazione& s : stazioni.tutte()) {
    if (p + 16 > bytes.size()) return r;
    const auto basso = static_cast<unsigned char>(bytes[p + 14]);
    const auto alto = static_cast<unsigned char>(bytes[p + 15]);
    const auto lunghezza = static_cast<int16_t>(static_cast<uint16_t>(basso | (alto << 8)));
    if (lunghezza < 0 || static_cast<size_t>(lunghezza) != s.nome.size()) return r;
    p += 34 + static_cast<size_t>(lunghezza);
    ++r;
  }
  return p == bytes.size() ? -1 : r;
}

}  // namespace compactor
