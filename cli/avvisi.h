// The warnings of a compile: what the loader accepts silently but an author
// wants to see, gathered while the same loader runs.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "loader/osservatore.h"

namespace compactor::cli {

struct Avviso {
  Luogo dove;
  std::string messaggio;  // UTF-8
  std::string testo_riga;  // the line as written (Windows-1252)
};

class RaccoltaAvvisi : public Osservatore {
 public:
  // The two sources as read, to tell headers, decimal commas and surplus
  // fields apart by where a skipped field stands in its line.
  RaccoltaAvvisi(std::string linea, std::string treno);

  void campo_ignorato(const Luogo& dove, const std::string& campo) override;
  void record(TipoRecord tipo, int32_t chainage, const Luogo& dove) override;
  void marcatore_sostituito(TipoRecord tipo, int32_t chainage, const Luogo& dove) override;
  void fase(const char* nome) override {
    if (avanzamento) avanzamento(nome);
  }

  // Told of each stage of the compile, when set.
  std::function<void(const char*)> avanzamento;

  // In source order: line source first, then train source, by line.
  std::vector<Avviso> avvisi() const;

 private:
  std::string riga(const Luogo& dove) const;
  void aggiungi(const Luogo& dove, std::string messaggio);

  std::string linea_, treno_;
  std::vector<Avviso> avvisi_;
  // Per source: the line of the last record or skipped key field, so that
  // the fields after it on the same line are told as part of it.
  std::map<int, int> ultima_riga_record_;
  std::map<int, int> ultima_riga_ignorata_;
  // Per source and kind: the last chainage, for the order check.
  std::map<std::pair<int, TipoRecord>, int32_t> ultima_chainage_;
};

}  // namespace compactor::cli
