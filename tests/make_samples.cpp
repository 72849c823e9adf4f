// Writes the bundled sample drawings into a folder (default: samples/).
#include <cstdio>
#include <string>

#include "JwwWriter.h"
#include "SampleDrawings.h"

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "samples";
  if (!dir.empty() && dir.back() != '/') dir += '/';
  for (const auto& [name, bytes] : BuildSampleDrawings()) {
    WriteFile(dir + name, bytes);
    std::printf("%s%s (%zu bytes)\n", dir.c_str(), name.c_str(), bytes.size());
  }
  return 0;
}
