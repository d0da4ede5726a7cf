// The five emitters: each writes one carried text next to the program.
#pragma once

#include "model/file_names.h"
#include "platform/files.h"

namespace compactor {

void dati_linea(const FileNames& names, Files& files);
void dati_treno(const FileNames& names, Files& files);
void dati_note(const FileNames& names, Files& files);
void dati_rallentamenti(const FileNames& names, Files& files);
void dati_scheda(const FileNames& names, Files& files);

}  // namespace compactor
