#include "emitters/emitters.h"

#include "emitters/source_emitter.h"

namespace compactor {

void dati_linea(const FileNames& names, Files& files) { write_text(line_lines(), names.line_txt, files); }
void dati_treno(const FileNames& names, Files& files) { write_text(train_lines(), names.train_txt, files); }
void dati_note(const FileNames& names, Files& files) { write_text(note_lines(), names.note, files); }
void dati_rallentamenti(const FileNames& names, Files& files) {
  write_text(slowdown_lines(), names.rallentamenti, files);
}
void dati_scheda(const FileNames& names, Files& files) { write_text(card_lines(), names.scheda, files); }

}  // namespace compactor
