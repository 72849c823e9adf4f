#include "JwwWriter.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>

#include "util/CodePage.h"

namespace {

// UTF-8 -> UTF-16LE bytes.
std::string Utf8ToUtf16Le(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    size_t n;
    if (c < 0x80) { cp = c; n = 1; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
    else { cp = c & 0x07; n = 4; }
    for (size_t k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    auto unit = [&](uint32_t u) { out += static_cast<char>(u & 0xFF); out += static_cast<char>(u >> 8); };
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

class Out {
 public:
  explicit Out(bool unicode) : unicode_(unicode) {}
  std::vector<uint8_t> bytes;

  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
  }
  void U8(uint8_t v) { Raw(&v, 1); }
  void U16(uint16_t v) { Raw(&v, 2); }
  void I32(int32_t v) { Raw(&v, 4); }
  void U32(uint32_t v) { Raw(&v, 4); }
  void F64(double v) { Raw(&v, 8); }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }

  void Length(uint64_t n, bool afterMarker) {
    if (n < 0xFF) {
      U8(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE || (afterMarker && n < 0xFFFF)) {
      U8(0xFF);
      U16(static_cast<uint16_t>(n));
    } else {
      U8(0xFF);
      U16(0xFFFF);
      U32(static_cast<uint32_t>(n));
    }
  }

  void String(const std::string& sjis) {
    if (!unicode_) {
      Length(sjis.size(), false);
      Raw(sjis.data(), sjis.size());
      return;
    }
    const std::string u16 = Utf8ToUtf16Le(util::Cp932ToUtf8(sjis));
    U8(0xFF);
    U16(0xFFFE);
    Length(u16.size() / 2, true);
    Raw(u16.data(), u16.size());
  }

 private:
  bool unicode_;
};

class Writer {
 public:
  Writer(const TJwwData& d, const JwwWriteOptions& o) : d_(d), o_(o), out_(o.unicodeStrings), v_(d.Version) {}

  std::vector<uint8_t> Run() {
    out_.Raw("JwwData.", 8);
    out_.I32(v_);
    if (v_ < 220) return out_.bytes;
    Header();
    List(d_.Entities);
    BlockDefs();
    if (v_ >= 700 && o_.writeImageSection) Images();
    return out_.bytes;
  }

 private:
  void Header() {
    const TJwwKeptHeader& k = d_.Kept;
    out_.String(d_.Memo);
    out_.I32(d_.PaperSize);
    out_.I32(d_.WriteLayerGroup);
    for (int g = 0; g < 16; ++g) {
      const TJwwLayerGroup& lg = d_.LayerGroups[g];
      out_.I32(lg.State); out_.I32(lg.WriteLayer); out_.F64(lg.Scale); out_.I32(lg.Protect);
      for (int l = 0; l < 16; ++l) { out_.I32(d_.Layers[g * 16 + l].State); out_.I32(d_.Layers[g * 16 + l].Protect); }
    }
    for (int32_t v : k.Reserved7) out_.I32(v);
    for (int32_t v : d_.DimensionSettings) out_.I32(v);
    out_.I32(k.DimensionReserved);
    out_.I32(d_.MaxDrawWidth);
    out_.F64(d_.PrinterOriginX); out_.F64(d_.PrinterOriginY); out_.F64(d_.PrinterScale);
    out_.I32(d_.PrinterSetting); out_.I32(k.GridMode); out_.F64(k.GridMinDots);
    out_.F64(k.GridPitchX); out_.F64(k.GridPitchY); out_.F64(k.GridBaseX); out_.F64(k.GridBaseY);
    for (const TJwwLayer& l : d_.Layers) out_.String(l.Name);
    for (const TJwwLayerGroup& g : d_.LayerGroups) out_.String(g.Name);
    out_.F64(k.ShadowLevel); out_.F64(k.Latitude); out_.I32(k.Shadow9To15); out_.F64(k.WallShadowLevel);
    if (v_ > 230) { out_.F64(k.SkyMapLevel); out_.F64(k.SkyMapDiameter); }
    out_.I32(k.Unit25D); out_.F64(k.ViewScale); out_.F64(k.ViewOriginX); out_.F64(k.ViewOriginY);
    out_.F64(k.RangeScale); out_.F64(k.RangeOriginX); out_.F64(k.RangeOriginY);
    if (v_ > 230) {
      for (const TJwwMarkJump& m : k.MarkJumps) { out_.F64(m.Scale); out_.F64(m.X); out_.F64(m.Y); out_.I32(m.LayerGroup); }
      for (double v : k.TextState1) out_.F64(v);
      out_.I32(k.TextState2);
      for (double v : k.TextState3) out_.F64(v);
      out_.I32(k.TextState4);
    } else {
      for (int i = 0; i < 4; ++i) { out_.F64(k.MarkJumps[i].Scale); out_.F64(k.MarkJumps[i].X); out_.F64(k.MarkJumps[i].Y); }
    }
    for (double v : k.ParallelSpacings) out_.F64(v);
    out_.F64(k.BothSidesOffset);
    for (const TJwwPen& p : d_.Pens) { out_.U32(p.ScreenColor); out_.I32(p.ScreenWidth); }
    for (const TJwwPen& p : d_.Pens) { out_.U32(p.PrinterColor); out_.I32(p.PrinterWidth); out_.F64(p.PrinterPointRadius); }
    for (const TJwwLineType& t : d_.LineTypes) LineType(t);
    for (const TJwwRandomLine& r : d_.RandomLines) {
      out_.U32(r.Pattern); out_.I32(r.Amplitude); out_.I32(r.Pitch); out_.I32(r.PrinterAmplitude); out_.I32(r.PrinterPitch);
    }
    for (const TJwwLineType& t : d_.DoubleLineTypes) LineType(t);
    // Drawing-state block.
    for (int32_t v : k.DrawState) out_.I32(v);
    out_.I32(d_.PrinterResolutionCode * 10 + d_.PrintStateUnits);
    if (v_ >= 223) {
      out_.I32(d_.DrawTimeSeconds); out_.I32(k.EyeSetFlag);
      for (int32_t v : k.EyeAngles) out_.I32(v);
      for (double v : k.EyeValues) out_.F64(v);
    }
    if (v_ >= 225) { out_.F64(k.LastLineLength); out_.F64(k.LastBoxWidth); out_.F64(k.LastBoxHeight); out_.F64(k.LastCircleRadius); }
    if (v_ >= 230) { out_.I32(k.SolidAnyColor); out_.U32(k.DefaultSolidColor); }
    if (v_ >= 420) {
      for (const TJwwSxfPen& p : d_.SxfPens) { out_.U32(p.ScreenColor); out_.I32(p.ScreenWidth); }
      for (const TJwwSxfPen& p : d_.SxfPens) {
        out_.String(p.Name); out_.U32(p.PrinterColor); out_.I32(p.PrinterWidth); out_.F64(p.PrinterPointRadius);
      }
      for (const TJwwSxfLineType& t : d_.SxfLineTypes) { out_.U32(t.Pattern); out_.I32(t.UnitDots); out_.I32(t.Pitch); out_.I32(t.PrinterPitch); }
      for (const TJwwSxfLineType& t : d_.SxfLineTypes) {
        out_.String(t.Name); out_.I32(t.SegmentCount);
        for (double s : t.Segments) out_.F64(s);
      }
    }
    for (const TJwwTextStyle& s : d_.TextStyles) { out_.F64(s.Width); out_.F64(s.Height); out_.F64(s.Spacing); out_.I32(s.Color); }
    out_.F64(k.TextWidth); out_.F64(k.TextHeight); out_.F64(k.TextSpacing); out_.I32(k.TextColor);
    out_.I32(k.TextKind); out_.F64(k.TidySpacing); out_.F64(k.TidyCount); out_.I32(k.BaseShiftFlag);
    for (double v : k.ShiftH) out_.F64(v);
    for (double v : k.ShiftV) out_.F64(v);
  }

  void LineType(const TJwwLineType& t) { out_.U32(t.Pattern); out_.I32(t.UnitDots); out_.I32(t.Pitch); out_.I32(t.PrinterPitch); }

  void Count(uint32_t n) {
    if (n < 0xFFFF) { out_.U16(static_cast<uint16_t>(n)); } else { out_.U16(0xFFFF); out_.U32(n); }
  }

  void Tag(const std::string& className) {
    auto it = classes_.find(className);
    if (it == classes_.end()) {
      out_.U16(0xFFFF);
      out_.U16(0);  // schema
      out_.U16(static_cast<uint16_t>(className.size()));
      out_.Raw(className.data(), className.size());
      classes_[className] = counter_++;
    } else if (it->second < 0x7FFF) {
      out_.U16(static_cast<uint16_t>(0x8000 | it->second));
    } else {
      out_.U16(0x7FFF);
      out_.U32(0x80000000u | it->second);
    }
  }

  void Base(const TJwwEntityBase& b) {
    out_.U32(b.Group); out_.U8(b.PenStyle); out_.U16(b.PenColor);
    if (v_ >= 351) out_.U16(b.PenWidth);
    out_.U16(b.Layer); out_.U16(b.LayerGroup); out_.U16(b.Flags);
  }
  void Line(const TJwwSen& s) { Base(s); out_.F64(s.StartX); out_.F64(s.StartY); out_.F64(s.EndX); out_.F64(s.EndY); }
  void Point(const TJwwTen& t) {
    Base(t); out_.F64(t.X); out_.F64(t.Y); out_.I32(t.Temporary);
    if (t.PenStyle == 100) { out_.I32(t.Code); out_.F64(t.Angle); out_.F64(t.PointScale); }
  }
  void Text(const TJwwMoji& m) {
    Base(m); out_.F64(m.StartX); out_.F64(m.StartY); out_.F64(m.EndX); out_.F64(m.EndY);
    out_.I32(m.TextKind); out_.F64(m.SizeX); out_.F64(m.SizeY); out_.F64(m.CharSpacing); out_.F64(m.TextAngle);
    out_.String(m.FontName); out_.String(m.Text);
  }

  void Entity(const TJwwEntityLists& l, const TJwwOrderItem& item) {
    switch (item.Kind) {
      case EntityKind::Line: Tag("CDataSen"); Line(l.Lines[item.Index]); break;
      case EntityKind::Arc: {
        Tag("CDataEnko");
        const TJwwEnko& a = l.Arcs[item.Index];
        Base(a); out_.F64(a.CenterX); out_.F64(a.CenterY); out_.F64(a.Radius); out_.F64(a.StartAngle);
        out_.F64(a.ArcAngle); out_.F64(a.TiltAngle); out_.F64(a.Flatness); out_.I32(a.FullCircle);
        break;
      }
      case EntityKind::Point: Tag("CDataTen"); Point(l.Points[item.Index]); break;
      case EntityKind::Text: Tag("CDataMoji"); Text(l.Texts[item.Index]); break;
      case EntityKind::Dimension: {
        Tag("CDataSunpou");
        const TJwwSunpou& s = l.Dimensions[item.Index];
        Base(s); Line(s.DimLine); Text(s.DimText);
        if (v_ >= 420) {
          out_.U16(s.SxfMode); Line(s.AuxLine1); Line(s.AuxLine2);
          Point(s.AuxPoint1); Point(s.AuxPoint2); Point(s.AuxPoint3); Point(s.AuxPoint4);
        }
        break;
      }
      case EntityKind::Solid: {
        Tag("CDataSolid");
        const TJwwSolid& s = l.Solids[item.Index];
        Base(s);
        for (double v : {s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3, s.X4, s.Y4}) out_.F64(v);
        if (s.PenColor == 10) out_.U32(s.SolidColor);
        break;
      }
      case EntityKind::Block: {
        Tag("CDataBlock");
        const TJwwBlock& b = l.Blocks[item.Index];
        Base(b); out_.F64(b.X); out_.F64(b.Y); out_.F64(b.ScaleX); out_.F64(b.ScaleY); out_.F64(b.Rotation);
        out_.I32(b.BlockNumber);
        break;
      }
    }
    ++counter_;
  }

  void List(const TJwwEntityLists& l) {
    Count(static_cast<uint32_t>(l.Order.size()));
    for (const TJwwOrderItem& item : l.Order) Entity(l, item);
  }

  void BlockDefs() {
    Count(static_cast<uint32_t>(d_.BlockDefs.size()));
    for (const TJwwBlockDef& def : d_.BlockDefs) {
      Tag(o_.blockDefClassName);
      Base(def); out_.I32(def.Number); out_.I32(def.Referenced); out_.I32(def.TimeStamp);
      if (static_cast<uint32_t>(def.TimeStamp) >= 0x80000000u) out_.Zeros(8);
      out_.String(def.Name);
      ++counter_;
      List(def.Entities);
    }
  }

  void Images() {
    out_.U32(static_cast<uint32_t>(o_.images.size()));
    for (const auto& image : o_.images) {
      out_.String(image.name);
      const int32_t size = image.sizeOverride ? image.sizeOverride : static_cast<int32_t>(image.data.size());
      out_.I32(size);
      out_.Raw(image.data.data(), image.data.size());
    }
  }

  const TJwwData& d_;
  const JwwWriteOptions& o_;
  Out out_;
  int32_t v_;
  std::map<std::string, uint32_t> classes_;
  uint32_t counter_ = 1;
};

}  // namespace

std::vector<uint8_t> WriteJww(const TJwwData& d, const JwwWriteOptions& options) {
  return Writer(d, options).Run();
}

void InitTestDrawing(TJwwData& d, int32_t version) {
  d.ResetDrawing();
  d.Magic = "JwwData.";
  d.Version = version;
  for (TJwwLayerGroup& g : d.LayerGroups) { g.State = 2; g.Scale = 100; }
  for (TJwwLayer& l : d.Layers) l.State = 2;
  d.PrinterScale = 1.0;
}

static TJwwEntityBase Base(int group = 0, int layer = 0) {
  TJwwEntityBase b;
  b.PenStyle = 1;
  b.PenColor = 1;
  b.LayerGroup = static_cast<uint16_t>(group);
  b.Layer = static_cast<uint16_t>(layer);
  return b;
}

TJwwSen MakeLine(double x1, double y1, double x2, double y2, int group, int layer) {
  TJwwSen s;
  static_cast<TJwwEntityBase&>(s) = Base(group, layer);
  s.StartX = x1; s.StartY = y1; s.EndX = x2; s.EndY = y2;
  return s;
}

TJwwEnko MakeArc(double cx, double cy, double r, double start, double sweep, bool full) {
  TJwwEnko a;
  static_cast<TJwwEntityBase&>(a) = Base();
  a.CenterX = cx; a.CenterY = cy; a.Radius = r; a.StartAngle = start; a.ArcAngle = sweep;
  a.Flatness = 1; a.FullCircle = full ? 1 : 0;
  return a;
}

TJwwTen MakePoint(double x, double y, bool temporary) {
  TJwwTen t;
  static_cast<TJwwEntityBase&>(t) = Base();
  t.X = x; t.Y = y; t.Temporary = temporary ? 1 : 0;
  return t;
}

TJwwMoji MakeText(double x1, double y1, double x2, double y2, const std::string& text) {
  TJwwMoji m;
  static_cast<TJwwEntityBase&>(m) = Base();
  m.StartX = x1; m.StartY = y1; m.EndX = x2; m.EndY = y2;
  m.SizeX = 3; m.SizeY = 3; m.TextKind = 1;
  m.FontName = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
  m.Text = text;
  return m;
}

TJwwSolid MakeSolid(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
  TJwwSolid s;
  static_cast<TJwwEntityBase&>(s) = Base();
  s.X1 = x1; s.Y1 = y1; s.X2 = x2; s.Y2 = y2; s.X3 = x3; s.Y3 = y3; s.X4 = x4; s.Y4 = y4;
  return s;
}

TJwwBlock MakeInsert(int32_t number, double x, double y, double sx, double sy, double rot) {
  TJwwBlock b;
  static_cast<TJwwEntityBase&>(b) = Base();
  b.BlockNumber = number; b.X = x; b.Y = y; b.ScaleX = sx; b.ScaleY = sy; b.Rotation = rot;
  return b;
}

TJwwSunpou MakeDimension(double x1, double y1, double x2, double y2, const std::string& text) {
  TJwwSunpou s;
  static_cast<TJwwEntityBase&>(s) = Base();
  s.DimLine = MakeLine(x1, y1, x2, y2);
  s.DimText = MakeText(x1, y1 + 1, x2, y2 + 1, text);
  s.AuxLine1 = MakeLine(x1, y1 - 5, x1, y1);
  s.AuxLine2 = MakeLine(x2, y2 - 5, x2, y2);
  for (TJwwTen* p : {&s.AuxPoint1, &s.AuxPoint2, &s.AuxPoint3, &s.AuxPoint4}) *p = MakePoint(x1, y1);
  return s;
}

template <typename T>
static void AddTo(std::vector<T>& list, std::vector<TJwwOrderItem>& order, EntityKind kind, const T& e) {
  list.push_back(e);
  order.push_back({kind, static_cast<uint32_t>(list.size() - 1)});
}
void Add(TJwwEntityLists& l, const TJwwSen& e) { AddTo(l.Lines, l.Order, EntityKind::Line, e); }
void Add(TJwwEntityLists& l, const TJwwEnko& e) { AddTo(l.Arcs, l.Order, EntityKind::Arc, e); }
void Add(TJwwEntityLists& l, const TJwwTen& e) { AddTo(l.Points, l.Order, EntityKind::Point, e); }
void Add(TJwwEntityLists& l, const TJwwMoji& e) { AddTo(l.Texts, l.Order, EntityKind::Text, e); }
void Add(TJwwEntityLists& l, const TJwwSunpou& e) { AddTo(l.Dimensions, l.Order, EntityKind::Dimension, e); }
void Add(TJwwEntityLists& l, const TJwwSolid& e) { AddTo(l.Solids, l.Order, EntityKind::Solid, e); }
void Add(TJwwEntityLists& l, const TJwwBlock& e) { AddTo(l.Blocks, l.Order, EntityKind::Block, e); }

std::string MakeGzip(const std::string& data, const std::string& storedName, uint32_t mtime) {
  z_stream zs;
  std::memset(&zs, 0, sizeof zs);
  if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  gz_header h;
  std::memset(&h, 0, sizeof h);
  std::string nameCopy = storedName;
  if (!storedName.empty()) h.name = reinterpret_cast<Bytef*>(nameCopy.data());
  h.time = mtime;
  h.os = 0;
  deflateSetHeader(&zs, &h);
  std::string out(deflateBound(&zs, data.size()) + 64 + storedName.size(), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
  return WriteFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
