// The two reserved places of the finishing step: row 85 and cell 1.
#pragma once

#include "compiler/compiled_format.h"
#include "model/model.h"

namespace compactor {

// Stamps the mark 610 and the weighted scenario code into row 85 (campo7,
// orario) and the mark 5121 and the plain code into cell 1 (dato1, dato2).
// Each pair is checked to be still 0 just before it is stamped: throws
// ErrorStop("1250") for the marks, ErrorStop("1251") for the codes, having
// stamped nothing from the failing pair on. Without a grid only row 85 is
// checked and stamped.
void stamp_reserved_places(Model& m);

}  // namespace compactor
