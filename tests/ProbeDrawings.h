// Probe drawings: small drawings that each isolate one print rule (dash
// counts, curves, colour printing, widths, nested blocks, dimensions in
// blocks, texts), written with the test drawing writer in the layout the CAD
// program writes, for printing with it and with ours side by side
// (scripts/probe-jwcad).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProbeDrawing {
  std::string Name;   // file name without .jww
  std::string About;  // what it probes, one line
  std::vector<uint8_t> Bytes;
};

std::vector<ProbeDrawing> BuildProbeDrawings();
