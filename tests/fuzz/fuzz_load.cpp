// Any bytes as a drawing file: the full load, the quick pen load, and what
// the print run computes from the model right after.
#include <cstddef>
#include <cstdint>

#include "jww/jwwtype.h"
#include "jww/jwwunit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TJwwData d;
  d.LoadFromMemory(data, size, "fuzz.jww", true);
  jwwtype::GunzipImages();
  d.ComputeExtents();
  d.CountEntities();
  d.CountEntities(LayerFilter::OfLayer(3 * 16 + 1));
  jwwtype::ClearImages();
  d.LoadFromMemory(data, size, "fuzz.jww", false, 100);
  return 0;
}
