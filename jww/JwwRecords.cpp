#include "jww/JwwRecords.h"

namespace {

// A list keeps up to a quarter more room than it uses: enough for the next
// drawing of a batch, which is often much the same size, without holding on
// to the room a much larger drawing needed.
template <typename T>
void Trim(std::vector<T>& v) {
  if (v.capacity() > v.size() + v.size() / 4 + 64) v.shrink_to_fit();
}

}  // namespace

void TJwwEntityLists::Clear() {
  Lines.clear();
  Arcs.clear();
  Points.clear();
  Texts.clear();
  Dimensions.clear();
  Solids.clear();
  Blocks.clear();
  Order.clear();
}

void TJwwEntityLists::TrimExcess() {
  Trim(Lines);
  Trim(Arcs);
  Trim(Points);
  Trim(Texts);
  Trim(Dimensions);
  Trim(Solids);
  Trim(Blocks);
  Trim(Order);
}
