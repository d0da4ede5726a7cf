// The five emitters: each writes one carried text next to the program.
#pragma once

#include "model/nomi_file.h"
#include "platform/files.h"

namespace compactor {

void dati_linea(const NomiFile& nomi, Files& files);
void dati_treno(const NomiFile& nomi, Files& files);
void dati_note(const NomiFile& nomi, Files& files);
void dati_rallentamenti(const NomiFile& nomi, Files& files);
void dati_scheda(const NomiFile& nomi, Files& files);

}  // namespace compactor
