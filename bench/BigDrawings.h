// Large synthetic drawings for the benchmarks and for timing whole runs.
#pragma once

#include "jww/jwwunit.h"

// A plan of `entities` mixed entities on a 1000-column grid (60 % lines in
// 16 pens and layers, 10 % each arcs, points, Japanese texts and solids) and
// 2000 placements of a 20-line block. Blocks are built; extents computed.
void BuildMixedDrawing(TJwwData& d, int entities);

// The stress drawing: two million mixed entities with lines in all nine line
// types, and 1000 placements of a block three levels deep: 421,000 block
// instances in all, which draw 4.4 million more entities.
void BuildStressDrawing(TJwwData& d);
