// Writes a carried text as a file: each line up to the end marker, in
// Windows-1252, ended by CR LF. The marker itself is never written.
#pragma once

#include <string>

#include "emitters/carried_texts.h"
#include "platform/files.h"

namespace compactor {

// The bytes of the file: throws std::logic_error when the table has no end
// marker in its 1001 slots or a line the code page cannot hold, both faults
// of the program, not of the run.
std::string joined_lines(const LineTable& lines);

// Replaces `path` whole with the text.
void write_text(const LineTable& lines, const std::string& path, Files& files);

}  // namespace compactor
