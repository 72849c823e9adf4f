#include "jww/JwwRecords.h"

void TJwwEntityLists::ShrinkToFit() {
  Lines.shrink_to_fit();
  Arcs.shrink_to_fit();
  Points.shrink_to_fit();
  Texts.shrink_to_fit();
  Dimensions.shrink_to_fit();
  Solids.shrink_to_fit();
  Blocks.shrink_to_fit();
  Order.shrink_to_fit();
}
