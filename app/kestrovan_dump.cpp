// kestrovan-dump: what a drawing file holds, as text or JSON.
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/Json.h"
#include "jww/ImageReference.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"
#include "util/CodePage.h"

namespace {

const char kUsage[] =
    "usage: kestrovan-dump [--json] [--pens] FILE.jww...\n"
    "Shows what each drawing holds: header, counts, layers, blocks, images and extents.\n"
    "--pens adds the drawing's pen and line-type tables as printed (600 dpi printer,\n"
    "line-type pitch 0.035 mm) and the layer states handed to printing.\n"
    "Exit status: 0 every file loaded, 1 some file did not, 2 usage error.\n";

struct Report {
  std::string file;
  bool isJww = false;
  bool loadOk = false;
  std::string loadError;
  size_t readTo = 0;
  size_t fileSize = 0;
  const TJwwData* d = nullptr;
  bool hasExtents = false;
  jwwunit::Extents extents;
  TJwwEntityCounts all;
  int64_t temporaryPoints = 0;
  std::vector<std::string> imageReferences;
  int64_t blockDefEntities = 0;
  const TgraAttribute* pens = nullptr;  // with --pens
};

// What --pens shows: the tables a print run takes from the drawing.
constexpr int kDumpDpi = 600;
constexpr double kDumpLineTypePitch = 0.035;

void ConvertPens(const TJwwData& d, TgraAttribute& attr) {
  attr.ResetAttributes();
  const UnitGraAtt::FixedResolution printer(kDumpDpi);
  d.ApplyToAttributes(attr, &printer, kDumpLineTypePitch);
}

void WritePensJson(JsonWriter& j, const TgraAttribute& a) {
  j.Key("pens").BeginArray();
  for (int row = 0; row < TgraAttribute::kPenRows; ++row) {
    j.BeginObject().Key("row").Int(row).Key("color").Int(a.GetPenRowColor(row));
    j.Key("width").Number(a.GetPenRowWidth(row)).Key("point_radius").Number(a.GetPenRowPointRadius(row));
    j.EndObject();
  }
  j.EndArray();
  j.Key("line_types").BeginArray();
  for (int row = 0; row < TgraAttribute::kLineTypeRows; ++row) {
    const int count = a.GetLineTypeRowCount(row);
    j.BeginObject().Key("row").Int(row).Key("count").Int(count);
    j.Key("amplitude").Number(a.GetLineTypeRowAmplitude(row)).Key("elements").BeginArray();
    for (int i = 0; i < count; ++i) j.Number(a.GetLineTypeRowElement(row, i));
    j.EndArray().Key("period").Number(a.GetLineTypeRowPeriod(row)).EndObject();
  }
  j.EndArray();
  j.Key("layer_states").BeginArray();
  for (int i = 0; i < TgraAttribute::kLayerCount; ++i) j.Int(a.GetLayerState(i));
  j.EndArray();
}

void WritePensText(FILE* out, const TgraAttribute& a) {
  std::fprintf(out, "pens as printed (row: colour #RRGGBB, width mm, point radius mm):\n");
  for (int row = 0; row < TgraAttribute::kPenRows; ++row) {
    const TColor c = a.GetPenRowColor(row);
    std::fprintf(out, "  %3d: #%02X%02X%02X  %.4g  %.4g\n", row, RedOf(c), GreenOf(c), BlueOf(c),
                 a.GetPenRowWidth(row), a.GetPenRowPointRadius(row));
  }
  std::fprintf(out, "line types as printed (row: amplitude, period mm: elements mm):\n");
  for (int row = 0; row < TgraAttribute::kLineTypeRows; ++row) {
    std::fprintf(out, "  %2d: %.4g, %.4g:", row, a.GetLineTypeRowAmplitude(row), a.GetLineTypeRowPeriod(row));
    const int count = a.GetLineTypeRowCount(row);
    if (count == 0) std::fprintf(out, " solid");
    for (int i = 0; i < count; ++i) std::fprintf(out, " %.4g", a.GetLineTypeRowElement(row, i));
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "layer states for printing (1 normal, 2 grey, 3 not printed), groups 0..F:\n");
  for (int g = 0; g < 16; ++g) {
    std::fprintf(out, "  %X:", g);
    for (int l = 0; l < 16; ++l) std::fprintf(out, " %d", a.GetLayerState(g * 16 + l));
    std::fprintf(out, "\n");
  }
}

std::string Utf8(const std::string& sjis) { return util::Cp932ToUtf8(sjis); }

// A drawing's text as the terminal shows it: control characters (escape
// sequences among them) written as \xNN, never passed to the terminal.
std::string Shown(const std::string& sjis) {
  const std::string utf8 = Utf8(sjis);
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
    const bool c1 = c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F &&
                    static_cast<unsigned char>(utf8[i + 1]) >= 0x80;
    if (c < 0x20 || c == 0x7F || c1) {
      const unsigned code = c1 ? static_cast<unsigned char>(utf8[++i]) : c;
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", code);
      out += b;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void WriteCounts(JsonWriter& j, const TJwwEntityCounts& c) {
  j.BeginObject();
  j.Key("lines").Int(c.Lines).Key("arcs").Int(c.Arcs).Key("points").Int(c.Points);
  j.Key("temporary_points").Int(c.TemporaryPoints).Key("texts").Int(c.Texts);
  j.Key("dimensions").Int(c.Dimensions).Key("solids").Int(c.Solids).Key("blocks").Int(c.Blocks);
  j.Key("block_lines").Int(c.BlockLines).Key("block_arcs").Int(c.BlockArcs);
  j.Key("block_points").Int(c.BlockPoints).Key("block_temporary_points").Int(c.BlockTemporaryPoints);
  j.Key("block_texts").Int(c.BlockTexts).Key("block_dimensions").Int(c.BlockDimensions);
  j.Key("block_solids").Int(c.BlockSolids);
  j.EndObject();
}

void WriteJson(JsonWriter& j, const Report& r) {
  j.BeginObject();
  j.Key("file").String(r.file);
  j.Key("is_jww").Bool(r.isJww);
  j.Key("load_ok").Bool(r.loadOk);
  if (!r.d) {
    j.EndObject();
    return;
  }
  const TJwwData& d = *r.d;
  if (!r.loadOk) j.Key("load_error").String(r.loadError);
  j.Key("read_to").Int(static_cast<int64_t>(r.readTo));
  j.Key("file_size").Int(static_cast<int64_t>(r.fileSize));
  j.Key("version").Int(d.Version);
  j.Key("memo").String(Utf8(d.Memo));
  j.Key("layer_groups").BeginArray();
  for (int g = 0; g < 16; ++g) {
    const TJwwLayerGroup& lg = d.LayerGroups[g];
    j.BeginObject().Key("group").Int(g).Key("state").Int(lg.State).Key("scale").Number(lg.Scale);
    j.Key("name").String(Utf8(lg.Name)).EndObject();
  }
  j.EndArray();
  j.Key("file_layer_states").BeginArray();
  for (const TJwwLayer& l : d.Layers) j.Int(l.State);
  j.EndArray();
  const TJwwEntityLists& e = d.Entities;
  j.Key("counts").BeginObject();
  j.Key("lines").Int(static_cast<int64_t>(e.Lines.size()));
  j.Key("arcs").Int(static_cast<int64_t>(e.Arcs.size()));
  j.Key("points").Int(static_cast<int64_t>(e.Points.size()));
  j.Key("texts").Int(static_cast<int64_t>(e.Texts.size()));
  j.Key("dimensions").Int(static_cast<int64_t>(e.Dimensions.size()));
  j.Key("solids").Int(static_cast<int64_t>(e.Solids.size()));
  j.Key("blocks").Int(static_cast<int64_t>(e.Blocks.size()));
  j.EndObject();
  j.Key("temporary_points").Int(r.temporaryPoints);
  j.Key("image_reference_texts").BeginArray();
  for (const std::string& t : r.imageReferences) j.String(Utf8(t));
  j.EndArray();
  j.Key("block_defs").Int(static_cast<int64_t>(d.BlockDefs.size()));
  j.Key("block_def_entities").Int(r.blockDefEntities);
  j.Key("block_def_list").BeginArray();
  for (const TJwwBlockDef& def : d.BlockDefs) {
    j.BeginObject().Key("number").Int(def.Number).Key("name").String(Utf8(def.Name));
    j.Key("entities").Int(static_cast<int64_t>(def.Entities.EntityTotal()));
    j.Key("used").Bool(def.Used).EndObject();
  }
  j.EndArray();
  j.Key("block_instances").Int(static_cast<int64_t>(d.BlockInstances.size()));
  j.Key("embedded_images").BeginArray();
  for (const TJwwImage& image : jwwtype::EmbeddedImages)
    j.BeginObject().Key("name").String(Utf8(image.Name)).Key("size").Int(image.Size).EndObject();
  j.EndArray();
  j.Key("extents");
  if (r.hasExtents) {
    j.BeginArray().Number(r.extents.MinX).Number(r.extents.MinY);
    j.Number(r.extents.MaxX).Number(r.extents.MaxY).EndArray();
  } else {
    j.Null();
  }
  j.Key("count_entities_all");
  WriteCounts(j, r.all);
  if (r.pens) WritePensJson(j, *r.pens);
  j.EndObject();
}

void WriteText(FILE* out, const Report& r) {
  std::fprintf(out, "== %s\n", r.file.c_str());
  if (!r.isJww) {
    std::fprintf(out, "not a drawing file (it does not begin with \"JwwData.\")\n\n");
    return;
  }
  const TJwwData& d = *r.d;
  std::fprintf(out, "version %d, %s", d.Version, r.loadOk ? "loaded" : "NOT loaded");
  if (!r.loadOk) std::fprintf(out, " (%s at byte %zu)", r.loadError.c_str(), r.readTo);
  std::fprintf(out, ", read %zu of %zu bytes\n", r.readTo, r.fileSize);
  const std::string memo = Shown(d.Memo);
  std::fprintf(out, "memo: %s\n", memo.c_str());
  std::fprintf(out, "layer groups:\n");
  for (int g = 0; g < 16; ++g) {
    const TJwwLayerGroup& lg = d.LayerGroups[g];
    std::fprintf(out, "  %X  state %d  scale 1/%g  %s\n", g, lg.State, lg.Scale, Shown(lg.Name).c_str());
  }
  std::string states;
  for (int i = 0; i < 256; ++i) {
    if (d.Layers[i].State == kLayerShown) continue;
    char buf[48];
    std::snprintf(buf, sizeof buf, " %X-%X:%d", i / 16, i % 16, d.Layers[i].State);
    states += buf;
  }
  std::fprintf(out, "layers not in state 2:%s\n", states.empty() ? " none" : states.c_str());
  const TJwwEntityLists& e = d.Entities;
  std::fprintf(out, "entities: %zu lines, %zu arcs, %zu points (%lld temporary), %zu texts, "
               "%zu dimensions, %zu solids, %zu block insertions\n",
               e.Lines.size(), e.Arcs.size(), e.Points.size(),
               static_cast<long long>(r.temporaryPoints), e.Texts.size(), e.Dimensions.size(),
               e.Solids.size(), e.Blocks.size());
  for (const std::string& t : r.imageReferences) std::fprintf(out, "image reference: %s\n", Shown(t).c_str());
  std::fprintf(out, "block definitions: %zu holding %lld entities\n", d.BlockDefs.size(),
               static_cast<long long>(r.blockDefEntities));
  for (const TJwwBlockDef& def : d.BlockDefs)
    std::fprintf(out, "  #%d %s: %zu entities%s\n", def.Number, Shown(def.Name).c_str(),
                 def.Entities.EntityTotal(), def.Used ? "" : " (not used)");
  std::fprintf(out, "block instances: %zu%s\n", d.BlockInstances.size(),
               d.BlockInstancesCut ? " (cut short: blocks nest too deep or too many)" : "");
  for (const TJwwImage& image : jwwtype::EmbeddedImages)
    std::fprintf(out, "embedded image: %s (%d bytes)\n", Utf8(image.Name).c_str(), image.Size);
  if (r.hasExtents)
    std::fprintf(out, "extents: %g, %g .. %g, %g\n", r.extents.MinX, r.extents.MinY, r.extents.MaxX,
                 r.extents.MaxY);
  else
    std::fprintf(out, "extents: none (nothing printable)\n");
  const TJwwEntityCounts& c = r.all;
  std::fprintf(out, "printable: %lld lines, %lld arcs, %lld points, %lld texts, %lld dimensions, "
               "%lld solids, %lld blocks; inside blocks %lld lines, %lld arcs, %lld points, "
               "%lld texts, %lld dimensions, %lld solids\n\n",
               static_cast<long long>(c.Lines), static_cast<long long>(c.Arcs),
               static_cast<long long>(c.Points), static_cast<long long>(c.Texts),
               static_cast<long long>(c.Dimensions), static_cast<long long>(c.Solids),
               static_cast<long long>(c.Blocks), static_cast<long long>(c.BlockLines),
               static_cast<long long>(c.BlockArcs), static_cast<long long>(c.BlockPoints),
               static_cast<long long>(c.BlockTexts), static_cast<long long>(c.BlockDimensions),
               static_cast<long long>(c.BlockSolids));
  if (r.pens) {
    WritePensText(out, *r.pens);
    std::fprintf(out, "\n");
  }
}

long FileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  const long n = std::ftell(f);
  std::fclose(f);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false, pens = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--pens") == 0) {
      pens = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      std::fprintf(stderr, "kestrovan-dump: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (files.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  bool allLoaded = true;
  JsonWriter j;
  if (json) j.BeginArray();
  TJwwData d;
  TgraAttribute attr;
  for (const std::string& file : files) {
    jwwtype::ClearImages();
    Report r;
    r.file = file;
    r.isJww = TJwwData::IsJwwFile(file);
    if (r.isJww) {
      const LoadOutcome loaded = d.LoadForPrint(file);
      r.loadOk = loaded.Complete;
      r.loadError = loaded.Why;
      r.readTo = loaded.StoppedAt;
      r.fileSize = static_cast<size_t>(std::max(0L, FileSize(file)));
      r.d = &d;
      r.hasExtents = d.ComputeExtents();
      r.extents = jwwunit::DrawingExtents;
      r.all = d.CountEntities();
      for (const TJwwTen& p : d.Entities.Points) r.temporaryPoints += p.IsTemporary();
      for (const TJwwMoji& m : d.Entities.Texts)
        if (IsImageReference(m.Text)) r.imageReferences.push_back(m.Text);
      for (const TJwwBlockDef& def : d.BlockDefs)
        r.blockDefEntities += static_cast<int64_t>(def.Entities.EntityTotal());
      if (pens) {
        ConvertPens(d, attr);
        r.pens = &attr;
      }
    } else if (FileSize(file) < 0) {
      std::fprintf(stderr, "kestrovan-dump: cannot open %s\n", file.c_str());
    }
    if (!r.loadOk) allLoaded = false;
    if (json)
      WriteJson(j, r);
    else
      WriteText(stdout, r);
  }
  if (json) {
    j.EndArray();
    std::printf("%s\n", j.Text().c_str());
  }
  jwwtype::ClearImages();
  jwwtype::RemoveTempFolder();
  return allLoaded ? 0 : 1;
}
