// Writes the large drawings whole runs are timed on:
//   DIR/large.jww   a million mixed entities (about 60 MB)
//   DIR/stress.jww  two million entities and nested blocks (about 120 MB)
//
//   build/release/bench/kestrovan-make-big-drawings DIR
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "BigDrawings.h"
#include "JwwWriter.h"

namespace {

bool Save(const std::string& path, const TJwwData& d) {
  const std::vector<uint8_t> bytes = WriteJww(d);
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrovan-make-big-drawings DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  {
    TJwwData d;
    BuildMixedDrawing(d, 1000000);
    if (!Save(dir + "large.jww", d)) return 1;
  }
  TJwwData d;
  BuildStressDrawing(d);
  return Save(dir + "stress.jww", d) ? 0 : 1;
}
