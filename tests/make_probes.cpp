// Writes the probe drawings into a folder (default: probes/), with an index
// probes.tsv of each one's name and what it probes.
#include <cstdio>
#include <string>

#include "JwwWriter.h"
#include "ProbeDrawings.h"

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "probes";
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::string index;
  for (const ProbeDrawing& p : BuildProbeDrawings()) {
    WriteFile(dir + p.Name + ".jww", p.Bytes);
    index += p.Name + "\t" + p.About + "\n";
  }
  WriteFile(dir + "probes.tsv", index);
  std::fputs(index.c_str(), stdout);
  return 0;
}
