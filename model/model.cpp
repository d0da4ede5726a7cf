#include "model/model.h"

namespace compactor {

void Griglia::resize(int32_t celle_totali) {
  if (celle_totali < 0) throw LoadFailure("grid of negative size");
  celle_.assign(static_cast<size_t>(celle_totali) + 1, cella{});
}

}  // namespace compactor
