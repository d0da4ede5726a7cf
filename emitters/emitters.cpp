#include "emitters/emitters.h"

#include "emitters/source_emitter.h"

namespace compactor {

void dati_linea(const FileNames& nomi, Files& files) { scrivi_testo(righe_linea(), nomi.linea_txt, files); }
void dati_treno(const FileNames& nomi, Files& files) { scrivi_testo(righe_treno(), nomi.treno_txt, files); }
void dati_note(const FileNames& nomi, Files& files) { scrivi_testo(righe_note(), nomi.note, files); }
void dati_rallentamenti(const FileNames& nomi, Files& files) {
  scrivi_testo(righe_rallentamenti(), nomi.rallentamenti, files);
}
void dati_scheda(const FileNames& nomi, Files& files) { scrivi_testo(righe_scheda(), nomi.scheda, files); }

}  // namespace compactor
