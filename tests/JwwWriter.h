// A small drawing-file writer for tests: serialises a TJwwData model in the
// layout of its Version, the way the CAD program's archive writer does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jww/jwwunit.h"

struct JwwWriteOptions {
  bool unicodeStrings = false;  // write every string in the UTF-16 form of newer files
  // Embedded images (version 7.00 and later): name (Shift-JIS) and bytes.
  struct Image {
    std::string name;
    std::string data;
    int32_t sizeOverride = 0;  // non-zero: written as the size instead of data.size()
  };
  std::vector<Image> images;
  bool writeImageSection = true;   // for version >= 700
  std::string blockDefClassName = "CDataList";
};

std::vector<uint8_t> WriteJww(const TJwwData& d, const JwwWriteOptions& options = {});

// A model with a sane header for the given version: shown layer groups and
// layers at scale 1/100, printer scale 1.
void InitTestDrawing(TJwwData& d, int32_t version);

// Entity builders for tests.
TJwwSen MakeLine(double x1, double y1, double x2, double y2, int group = 0, int layer = 0);
TJwwEnko MakeArc(double cx, double cy, double r, double start, double sweep, bool full = false);
TJwwTen MakePoint(double x, double y, bool temporary = false);
TJwwMoji MakeText(double x1, double y1, double x2, double y2, const std::string& text);
TJwwSolid MakeSolid(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                    double y4);
TJwwBlock MakeInsert(int32_t number, double x, double y, double sx = 1, double sy = 1, double rot = 0);
TJwwSunpou MakeDimension(double x1, double y1, double x2, double y2, const std::string& text);

// Appends an entity to lists (and its order entry).
void Add(TJwwEntityLists& l, const TJwwSen& e);
void Add(TJwwEntityLists& l, const TJwwEnko& e);
void Add(TJwwEntityLists& l, const TJwwTen& e);
void Add(TJwwEntityLists& l, const TJwwMoji& e);
void Add(TJwwEntityLists& l, const TJwwSunpou& e);
void Add(TJwwEntityLists& l, const TJwwSolid& e);
void Add(TJwwEntityLists& l, const TJwwBlock& e);

// A gzip file of `data`, optionally storing a file name and a time.
std::string MakeGzip(const std::string& data, const std::string& storedName = "", uint32_t mtime = 0);

// Writes bytes to a file; returns the path.
std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::string WriteFile(const std::string& path, const std::string& bytes);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
