// Reading a drawing file into TJwwData: header, entity lists, block
// definitions and the embedded images.
#include <fcntl.h>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "jww/Archive.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"
#include "render/UnitGval.h"
#include "util/Sjis.h"

namespace {

constexpr size_t kMaxTextBytes = 255;
// The smallest object an entity list can hold: a class tag and an old-layout point.
constexpr size_t kMinEntityBytes = 2 + 33;

// A drawing file's bytes, read into memory. (Not mapped: a file that
// shrinks while it is read would kill the program with SIGBUS.)
class FileBytes {
 public:
  // Far beyond any drawing; keeps a device or pipe that never ends from
  // filling the memory.
  static constexpr size_t kMaxBytes = TJwwData::kMaxFileBytes;

  explicit FileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<uint64_t>(st.st_size) <= kMaxBytes)
      bytes_.reserve(static_cast<size_t>(st.st_size));
    uint8_t buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
      if (n < 0) continue;
      if (bytes_.size() + static_cast<size_t>(n) > kMaxBytes) break;
      bytes_.insert(bytes_.end(), buf, buf + n);
    }
    ok_ = n == 0;
    ::close(fd);
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  bool Ok() const { return ok_; }
  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  bool ok_ = false;
};

enum ClassKind : int {
  kUnknownClass = 0,  // 1..7 are the entity kinds
};

int KindOfClassName(const std::string& name) {
  static const char* const kNames[] = {"CDataSen", "CDataEnko", "CDataTen", "CDataMoji",
                                       "CDataSunpou", "CDataSolid", "CDataBlock"};
  for (int i = 0; i < 7; ++i)
    if (name == kNames[i]) return i + 1;
  return kUnknownClass;
}

}  // namespace

void DecodeMaxDrawWidth(int32_t raw, bool& coded, int32_t& value) {
  value = raw;
  coded = false;
  if (raw <= -101) {
    coded = true;
    if (raw >= -500 && raw <= -401) {
      value = 400 + raw;  // 400 - |raw|
    } else if (raw >= -300 && raw <= -201) {
      value = -raw - 200;
    } else {
      value = -100;
    }
  }
}

class JwwReader {
 public:
  JwwReader(TJwwData& d, ArchiveReader& in, bool withImages, int limit)
      : d_(d), in_(in), withImages_(withImages), limit_(limit) {}

  // Returns false when the version is too old to read; throws ArchiveError
  // when the file is damaged or ends early.
  bool Read() {
    const uint8_t* magic = in_.Take(8);
    d_.Magic.assign(reinterpret_cast<const char*>(magic), 8);
    d_.Version = in_.I32();
    if (d_.Version < 220) return false;
    v_ = d_.Version;
    ReadHeader();
    if (!ReadEntityList(d_.Entities, d_.EntityCountInFile)) return true;
    if (!ReadBlockDefs()) return true;
    if (withImages_ && v_ >= 700) ReadImages();
    return true;
  }

 private:
  // --- header ------------------------------------------------------------
  void ReadHeader() {
    d_.Memo = in_.String();
    d_.PaperSize = in_.I32();
    d_.WriteLayerGroup = in_.I32();

    const uint8_t* p = in_.Take(16 * 148);  // layer groups: state, scale, and their 16 layers' states
    for (int g = 0; g < 16; ++g, p += 148) {
      TJwwLayerGroup& lg = d_.LayerGroups[g];
      lg.State = Get<int32_t>(p);
      lg.WriteLayer = Get<int32_t>(p + 4);
      lg.Scale = Get<double>(p + 8);
      lg.Protect = Get<int32_t>(p + 16);
      for (int l = 0; l < 16; ++l) {
        TJwwLayer& layer = d_.Layers[g * 16 + l];
        layer.State = Get<int32_t>(p + 20 + l * 8);
        layer.Protect = Get<int32_t>(p + 24 + l * 8);
      }
    }
    TJwwKeptHeader& k = d_.Kept;
    p = in_.Take(56);  // reserved, kept
    for (int i = 0; i < 14; ++i) k.Reserved7[i] = Get<int32_t>(p + 4 * i);
    p = in_.Take(28);  // dimension settings, the widest line
    for (int i = 0; i < 5; ++i) d_.DimensionSettings[i] = Get<int32_t>(p + 4 * i);
    k.DimensionReserved = Get<int32_t>(p + 20);
    d_.MaxDrawWidth = Get<int32_t>(p + 24);
    DecodeMaxDrawWidth(d_.MaxDrawWidth, d_.MaxDrawWidthCoded, d_.MaxDrawWidthValue);
    p = in_.Take(72);  // printer origin, scale and setting; the grid
    d_.PrinterOriginX = Get<double>(p);
    d_.PrinterOriginY = Get<double>(p + 8);
    d_.PrinterScale = Get<double>(p + 16);
    d_.PrinterSetting = Get<int32_t>(p + 24);
    k.GridMode = Get<int32_t>(p + 28);
    k.GridMinDots = Get<double>(p + 32);
    k.GridPitchX = Get<double>(p + 40);
    k.GridPitchY = Get<double>(p + 48);
    k.GridBaseX = Get<double>(p + 56);
    k.GridBaseY = Get<double>(p + 64);
    for (TJwwLayer& layer : d_.Layers) layer.Name = in_.CleanString();  // layer names
    for (TJwwLayerGroup& lg : d_.LayerGroups) lg.Name = in_.CleanString();  // layer group names

    if (v_ > 230) {  // shadows, sky map
      p = in_.Take(44);
      if (v_ >= 300) {
        k.SkyMapLevel = Get<double>(p + 28);
        k.SkyMapDiameter = Get<double>(p + 36);
      }
    } else {
      p = in_.Take(28);
    }
    k.ShadowLevel = Get<double>(p);
    k.Latitude = Get<double>(p + 8);
    k.Shadow9To15 = Get<int32_t>(p + 16);
    k.WallShadowLevel = Get<double>(p + 20);

    p = in_.Take(52);  // 2.5D unit, view and range
    k.Unit25D = Get<int32_t>(p);
    k.ViewScale = Get<double>(p + 4);
    k.ViewOriginX = Get<double>(p + 12);
    k.ViewOriginY = Get<double>(p + 20);
    k.RangeScale = Get<double>(p + 28);
    k.RangeOriginX = Get<double>(p + 36);
    k.RangeOriginY = Get<double>(p + 44);

    if (v_ > 230) {  // eight mark jumps, text state
      p = in_.Take(280);
      for (int i = 0; i < 8; ++i, p += 28) {
        k.MarkJumps[i].Scale = Get<double>(p);
        k.MarkJumps[i].X = Get<double>(p + 8);
        k.MarkJumps[i].Y = Get<double>(p + 16);
        k.MarkJumps[i].LayerGroup = Get<int32_t>(p + 24);
      }
      for (int i = 0; i < 3; ++i) k.TextState1[i] = Get<double>(p + 8 * i);
      k.TextState2 = Get<int32_t>(p + 24);
      for (int i = 0; i < 3; ++i) k.TextState3[i] = Get<double>(p + 28 + 8 * i);
      k.TextState4 = Get<int32_t>(p + 52);
    } else {  // four mark jumps
      p = in_.Take(96);
      for (int i = 0; i < 4; ++i, p += 24) {
        k.MarkJumps[i].Scale = Get<double>(p);
        k.MarkJumps[i].X = Get<double>(p + 8);
        k.MarkJumps[i].Y = Get<double>(p + 16);
      }
    }

    p = in_.Take(168);  // parallel spacings; screen pen colours and widths
    for (int i = 0; i < 10; ++i) k.ParallelSpacings[i] = Get<double>(p + 8 * i);
    k.BothSidesOffset = Get<double>(p + 80);
    for (int i = 0; i < 10; ++i) {
      d_.Pens[i].ScreenColor = Get<uint32_t>(p + 88 + 8 * i);
      d_.Pens[i].ScreenWidth = Get<int32_t>(p + 92 + 8 * i);
    }
    p = in_.Take(160);  // printer pen colours, widths and point radii
    for (int i = 0; i < 10; ++i, p += 16) {
      d_.Pens[i].PrinterColor = Get<uint32_t>(p);
      d_.Pens[i].PrinterWidth = Get<int32_t>(p + 4);
      d_.Pens[i].PrinterPointRadius = Get<double>(p + 8);
    }
    d_.HasPenTable = true;
    p = in_.Take(128);  // line types 2-9
    for (int i = 0; i < 8; ++i, p += 16) d_.LineTypes[i] = LineTypeAt(p);
    p = in_.Take(164);  // random lines, double-length line types
    for (int i = 0; i < 5; ++i, p += 20) {
      TJwwRandomLine& r = d_.RandomLines[i];
      r.Pattern = Get<uint32_t>(p);
      r.Amplitude = Get<int32_t>(p + 4);
      r.Pitch = Get<int32_t>(p + 8);
      r.PrinterAmplitude = Get<int32_t>(p + 12);
      r.PrinterPitch = Get<int32_t>(p + 16);
    }
    for (int i = 0; i < 4; ++i, p += 16) d_.DoubleLineTypes[i] = LineTypeAt(p);
    d_.HasLineTypeTable = true;

    ReadDrawStateBlock();

    if (v_ >= 420) {
      p = in_.Take(257 * 8);  // SXF pens on screen
      for (int i = 0; i < 257; ++i) {
        d_.SxfPens[i].ScreenColor = Get<uint32_t>(p + 8 * i);
        d_.SxfPens[i].ScreenWidth = Get<int32_t>(p + 8 * i + 4);
      }
      for (TJwwSxfPen& pen : d_.SxfPens) {  // SXF pens: name, printer pen
        pen.Name = in_.CleanString();
        p = in_.Take(16);
        pen.PrinterColor = Get<uint32_t>(p);
        pen.PrinterWidth = Get<int32_t>(p + 4);
        pen.PrinterPointRadius = Get<double>(p + 8);
      }
      p = in_.Take(33 * 16);  // SXF line type patterns
      for (int i = 0; i < 33; ++i) {
        TJwwLineType lt = LineTypeAt(p + 16 * i);
        TJwwSxfLineType& s = d_.SxfLineTypes[i];
        s.Pattern = lt.Pattern;
        s.UnitDots = lt.UnitDots;
        s.Pitch = lt.Pitch;
        s.PrinterPitch = lt.PrinterPitch;
      }
      for (TJwwSxfLineType& s : d_.SxfLineTypes) {  // SXF line types: name, segments
        s.Name = in_.CleanString();
        p = in_.Take(84);
        s.SegmentCount = Get<int32_t>(p);
        for (int j = 0; j < 10; ++j) s.Segments[j] = Get<double>(p + 4 + 8 * j);
      }
    }

    p = in_.Take(280);  // text styles 1-10
    for (int i = 0; i < 10; ++i, p += 28) {
      d_.TextStyles[i].Width = Get<double>(p);
      d_.TextStyles[i].Height = Get<double>(p + 8);
      d_.TextStyles[i].Spacing = Get<double>(p + 16);
      d_.TextStyles[i].Color = Get<int32_t>(p + 24);
    }
    p = in_.Take(100);  // text entry state, text tidying, base shifts
    k.TextWidth = Get<double>(p);
    k.TextHeight = Get<double>(p + 8);
    k.TextSpacing = Get<double>(p + 16);
    k.TextColor = Get<int32_t>(p + 24);
    k.TextKind = Get<int32_t>(p + 28);
    k.TidySpacing = Get<double>(p + 32);
    k.TidyCount = Get<double>(p + 40);
    k.BaseShiftFlag = Get<int32_t>(p + 48);
    for (int i = 0; i < 3; ++i) k.ShiftH[i] = Get<double>(p + 52 + 8 * i);
    for (int i = 0; i < 3; ++i) k.ShiftV[i] = Get<double>(p + 76 + 8 * i);
  }

  // The drawing-state block grows with the version: 44 bytes up to 2.22,
  // 104 from 2.23, 136 from 2.25, 144 from 2.30.
  void ReadDrawStateBlock() {
    const size_t size = v_ >= 230 ? 144 : v_ >= 225 ? 136 : v_ >= 223 ? 104 : 44;
    const uint8_t* p = in_.Take(size);
    TJwwKeptHeader& k = d_.Kept;
    for (int i = 0; i < 10; ++i) k.DrawState[i] = Get<int32_t>(p + 4 * i);
    const int32_t eleventh = Get<int32_t>(p + 40);
    d_.PrintStateUnits = eleventh % 10;
    d_.PrinterResolutionCode = eleventh / 10;
    if (size >= 104) {
      d_.DrawTimeSeconds = Get<int32_t>(p + 44);
      k.EyeSetFlag = Get<int32_t>(p + 48);
      for (int i = 0; i < 3; ++i) k.EyeAngles[i] = Get<int32_t>(p + 52 + 4 * i);
      for (int i = 0; i < 5; ++i) k.EyeValues[i] = Get<double>(p + 64 + 8 * i);
    }
    if (size >= 136) {
      k.LastLineLength = Get<double>(p + 104);
      k.LastBoxWidth = Get<double>(p + 112);
      k.LastBoxHeight = Get<double>(p + 120);
      k.LastCircleRadius = Get<double>(p + 128);
    }
    if (size >= 144) {
      k.SolidAnyColor = Get<int32_t>(p + 136);
      k.DefaultSolidColor = Get<uint32_t>(p + 140);
    }
  }

  static TJwwLineType LineTypeAt(const uint8_t* p) {
    TJwwLineType lt;
    lt.Pattern = Get<uint32_t>(p);
    lt.UnitDots = Get<int32_t>(p + 4);
    lt.Pitch = Get<int32_t>(p + 8);
    lt.PrinterPitch = Get<int32_t>(p + 12);
    return lt;
  }

  template <typename T>
  static T Get(const uint8_t* p) {
    return ArchiveReader::Get<T>(p);
  }

  // --- objects -----------------------------------------------------------
  size_t BaseSize() const { return v_ >= 351 ? 15 : 13; }

  // Decodes the common fields at p; returns the pointer after them.
  const uint8_t* BaseAt(const uint8_t* p, TJwwEntityBase& b) const {
    b.Group = Get<uint32_t>(p);
    b.PenStyle = p[4];
    b.PenColor = Get<uint16_t>(p + 5);
    p += 7;
    if (v_ >= 351) {
      b.PenWidth = Get<uint16_t>(p);
      p += 2;
    } else {
      b.PenWidth = 0;
    }
    b.Layer = Get<uint16_t>(p);
    b.LayerGroup = Get<uint16_t>(p + 2);
    b.Flags = Get<uint16_t>(p + 4);
    return p + 6;
  }

  // Reads a class tag; returns the kind of the class it names (0 for a class
  // that is none of the seven entity kinds).
  int ReadClassTag() {
    const uint16_t t = in_.U16();
    uint32_t index;
    if (t == 0xFFFF) {
      in_.U16();  // schema number
      const uint16_t nameLength = in_.U16();
      const uint8_t* name = in_.Take(nameLength);
      const int kind = KindOfClassName(std::string(reinterpret_cast<const char*>(name), nameLength));
      classes_.push_back({objectCounter_, kind});
      ++objectCounter_;
      return kind;
    }
    if (t == 0x7FFF) {
      index = in_.U32() & 0x7FFFFFFFu;
    } else if (t & 0x8000) {
      index = t - 0x8000u;
    } else {
      throw ArchiveError("a reference to an earlier object is not supported");
    }
    for (const ClassEntry& c : classes_)
      if (c.index == index) return c.kind;
    throw ArchiveError("a reference to a class that was never named");
  }

  bool LimitReached() const { return limit_ >= 0 && entitiesRead_ >= limit_; }

  // Reads an entity list (count, then tagged objects) into `lists`. Returns
  // false when the entity limit stopped it.
  bool ReadEntityList(TJwwEntityLists& lists, uint32_t& count) {
    count = in_.Count();
    lists.Order.reserve(std::min<size_t>(count, in_.Remaining() / kMinEntityBytes));
    for (uint32_t i = 0; i < count; ++i) {
      if (LimitReached()) return false;
      if (i == kSampleEntities && count >= 4 * kSampleEntities) ReserveAsSampled(lists, count);
      const int kind = ReadClassTag();
      if (kind == kUnknownClass) throw ArchiveError("an object of an unknown class");
      ReadEntity(static_cast<EntityKind>(kind), lists);
      ++objectCounter_;
      ++entitiesRead_;
    }
    lists.TrimExcess();
    return true;
  }

  // A long list is read into room sized by the mix of kinds in its first
  // entities (with a little to spare), so that the lists seldom grow by
  // copying. What the file can still hold bounds every guess.
  static constexpr uint32_t kSampleEntities = 1024;
  void ReserveAsSampled(TJwwEntityLists& lists, uint32_t count) const {
    const double share = static_cast<double>(count) / kSampleEntities;
    auto reserve = [&](auto& list) {
      const double guess = static_cast<double>(list.size()) * share * 1.1 + 64;
      const size_t bound = list.size() + in_.Remaining() / kMinEntityBytes;
      list.reserve(std::min<size_t>(static_cast<size_t>(guess), bound));
    };
    reserve(lists.Lines);
    reserve(lists.Arcs);
    reserve(lists.Points);
    reserve(lists.Texts);
    reserve(lists.Dimensions);
    reserve(lists.Solids);
    reserve(lists.Blocks);
  }

  void ReadEntity(EntityKind kind, TJwwEntityLists& lists) {
    uint32_t index = 0;
    switch (kind) {
      case EntityKind::Line:
        index = AppendRead(lists.Lines, [this](TJwwSen& r) { ReadLine(r); });
        break;
      case EntityKind::Arc:
        index = AppendRead(lists.Arcs, [this](TJwwEnko& r) { ReadArc(r); });
        break;
      case EntityKind::Point:
        index = AppendRead(lists.Points, [this](TJwwTen& r) { ReadPoint(r); });
        break;
      case EntityKind::Text:
        index = AppendRead(lists.Texts, [this](TJwwMoji& r) { ReadText(r); });
        break;
      case EntityKind::Dimension:
        index = AppendRead(lists.Dimensions, [this](TJwwSunpou& r) { ReadDimension(r); });
        break;
      case EntityKind::Solid:
        index = AppendRead(lists.Solids, [this](TJwwSolid& r) { ReadSolid(r); });
        break;
      case EntityKind::Block:
        index = AppendRead(lists.Blocks, [this](TJwwBlock& r) { ReadBlock(r); });
        break;
    }
    TJwwOrderItem& item = lists.Order.emplace_back();
    item.Kind = kind;
    item.Index = index;
  }

  // Reads a record straight into a new last element of the list (no copy
  // through the stack); a record the file cuts short is taken off again.
  template <typename T, typename Read>
  static uint32_t AppendRead(std::vector<T>& list, Read read) {
    T& record = list.emplace_back();
    try {
      read(record);
    } catch (...) {
      list.pop_back();
      throw;
    }
    return static_cast<uint32_t>(list.size() - 1);
  }

  void ReadLine(TJwwSen& s) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 32), s);
    s.StartX = Get<double>(p);
    s.StartY = Get<double>(p + 8);
    s.EndX = Get<double>(p + 16);
    s.EndY = Get<double>(p + 24);
  }

  void ReadArc(TJwwEnko& a) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 60), a);
    a.CenterX = Get<double>(p);
    a.CenterY = Get<double>(p + 8);
    a.Radius = Get<double>(p + 16);
    a.StartAngle = Get<double>(p + 24);
    a.ArcAngle = Get<double>(p + 32);
    a.TiltAngle = Get<double>(p + 40);
    a.Flatness = Get<double>(p + 48);
    a.FullCircle = Get<int32_t>(p + 56);
  }

  // A point; `zeroExtension` gives the extension's absence as zeros (as
  // inside dimensions) instead of the defaults of a plain point.
  void ReadPoint(TJwwTen& t, bool zeroExtension = false) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 20), t);
    t.X = Get<double>(p);
    t.Y = Get<double>(p + 8);
    t.Temporary = Get<int32_t>(p + 16);
    if (t.PenStyle == 100) {
      const uint8_t* e = in_.Take(20);
      t.Code = Get<int32_t>(e);
      t.Angle = Get<double>(e + 4);
      t.PointScale = Get<double>(e + 12);
    } else {
      t.Code = 0;
      t.Angle = 0;
      t.PointScale = zeroExtension ? 0.0 : 1.0;
    }
  }

  static std::string Limit(std::string s) {
    if (s.size() <= kMaxTextBytes) return s;
    return util::SjisTruncate(s, kMaxTextBytes);
  }

  void ReadText(TJwwMoji& m) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 68), m);
    m.StartX = Get<double>(p);
    m.StartY = Get<double>(p + 8);
    m.EndX = Get<double>(p + 16);
    m.EndY = Get<double>(p + 24);
    m.TextKind = Get<int32_t>(p + 32);
    m.SizeX = Get<double>(p + 36);
    m.SizeY = Get<double>(p + 44);
    m.CharSpacing = Get<double>(p + 52);
    m.TextAngle = Get<double>(p + 60);
    m.FontName = Limit(in_.CleanString());
    m.Text = Limit(in_.CleanString());
  }

  void ReadDimension(TJwwSunpou& s) {
    BaseAt(in_.Take(BaseSize()), s);
    ReadLine(s.DimLine);
    ReadText(s.DimText);
    if (v_ >= 420) {
      s.SxfMode = in_.U16();
      ReadLine(s.AuxLine1);
      ReadLine(s.AuxLine2);
      for (TJwwTen* point : {&s.AuxPoint1, &s.AuxPoint2, &s.AuxPoint3, &s.AuxPoint4}) ReadPoint(*point, true);
    } else {
      const TJwwEntityBase& own = s;
      for (TJwwSen* line : {&s.AuxLine1, &s.AuxLine2}) static_cast<TJwwEntityBase&>(*line) = own;
      for (TJwwTen* point : {&s.AuxPoint1, &s.AuxPoint2, &s.AuxPoint3, &s.AuxPoint4}) {
        static_cast<TJwwEntityBase&>(*point) = own;
        point->PenStyle = 0;
        point->PointScale = 0;
      }
    }
  }

  void ReadSolid(TJwwSolid& s) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 64), s);
    s.X1 = Get<double>(p);
    s.Y1 = Get<double>(p + 8);
    s.X2 = Get<double>(p + 16);
    s.Y2 = Get<double>(p + 24);
    s.X3 = Get<double>(p + 32);
    s.Y3 = Get<double>(p + 40);
    s.X4 = Get<double>(p + 48);
    s.Y4 = Get<double>(p + 56);
    s.SolidColor = s.PenColor == 10 ? in_.U32() : 0;
  }

  void ReadBlock(TJwwBlock& b) {
    const uint8_t* p = BaseAt(in_.Take(BaseSize() + 44), b);
    b.X = Get<double>(p);
    b.Y = Get<double>(p + 8);
    b.ScaleX = Get<double>(p + 16);
    b.ScaleY = Get<double>(p + 24);
    b.Rotation = Get<double>(p + 32);
    b.BlockNumber = Get<int32_t>(p + 40);
  }

  // --- block definitions -------------------------------------------------
  // Returns false when the entity limit stopped it.
  bool ReadBlockDefs() {
    const uint32_t count = in_.Count();
    // Each definition takes at least a tag, its fixed part, a name and a count.
    d_.BlockDefs.reserve(std::min<size_t>(count, in_.Remaining() / (2 + 25 + 1 + 2)));
    for (uint32_t i = 0; i < count; ++i) {
      if (LimitReached()) return false;
      ReadClassTag();  // the definition class; its name is not checked
      TJwwBlockDef def;
      const uint8_t* p = BaseAt(in_.Take(BaseSize() + 12), def);
      def.Number = Get<int32_t>(p);
      def.Referenced = Get<int32_t>(p + 4);
      def.TimeStamp = Get<int32_t>(p + 8);
      if (static_cast<uint32_t>(def.TimeStamp) >= 0x80000000u) in_.Skip(8);
      def.Name = in_.CleanString();
      d_.BlockDefs.push_back(std::move(def));
      TJwwBlockDef& stored = d_.BlockDefs.back();
      // The definition is numbered before its entities, as the writer numbered it.
      ++objectCounter_;
      uint32_t announced = 0;
      const bool finished = ReadEntityList(stored.Entities, announced);
      stored.EntityCount = static_cast<int32_t>(announced);
      if (!finished) return false;
    }
    d_.BlockDefs.shrink_to_fit();
    return true;
  }

  // --- embedded images ---------------------------------------------------
  void ReadImages() {
    jwwtype::EmbeddedImages.clear();
    const int32_t count = static_cast<int32_t>(in_.U32());
    for (int32_t i = 0; i < count; ++i) {
      TJwwImage image;
      image.Name = in_.CleanString();
      image.Size = in_.I32();
      if (image.Size < 0) return;  // a negative size cannot be stepped over
      jwwtype::EmbeddedImages.push_back(image);
      if (image.Size == 0) continue;
      const uint8_t* data = in_.Take(static_cast<size_t>(image.Size));
      if (image.Name.empty()) continue;  // nameless data is stepped over
      WriteImageFile(image.Name, data, static_cast<size_t>(image.Size));
    }
  }

  static void WriteImageFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = jwwtype::TempImagePath(name);
    if (path.empty()) return;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    bool ok = true;
    for (size_t done = 0; ok && done < size; done += 2048) {
      const size_t n = std::min<size_t>(2048, size - done);
      ok = std::fwrite(data + done, 1, n, f) == n;
    }
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path.c_str());
  }

  struct ClassEntry {
    uint32_t index;
    int kind;
  };

  TJwwData& d_;
  ArchiveReader& in_;
  bool withImages_;
  int limit_;
  int32_t v_ = 0;
  uint32_t objectCounter_ = 1;
  int entitiesRead_ = 0;
  std::vector<ClassEntry> classes_;
};

bool TJwwData::IsJwwFile(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) return false;
  char magic[8];
  return std::fread(magic, 1, 8, f.get()) == 8 && std::memcmp(magic, "JwwData.", 8) == 0;
}

bool TJwwData::LoadForPrint(const std::string& path) {
  const FileBytes bytes(path);
  if (!bytes.Ok()) {
    ResetDrawing();
    UnitGval::CurrentFileName = path;
    LoadError = "cannot read the file";
    return false;
  }
  return LoadFromMemory(bytes.Data(), bytes.Size(), path, true);
}

bool TJwwData::LoadHeaderAndPens(const std::string& path, int objectLimit) {
  const FileBytes bytes(path);
  if (!bytes.Ok()) {
    ResetDrawing();
    UnitGval::CurrentFileName = path;
    LoadError = "cannot read the file";
    return false;
  }
  return LoadFromMemory(bytes.Data(), bytes.Size(), path, false, objectLimit < 0 ? 0 : objectLimit);
}

static void PublishTextVariables(const TJwwData& d) {
  const int32_t t = d.DrawTimeSeconds;
  const int32_t minutes = (t / 60) % 60;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d : %02d", t / 3600, minutes);
  UnitGval::DrawTimeText = buf;
  const size_t crlf = d.Memo.find("\r\n");
  if (crlf == std::string::npos) {
    UnitGval::MemoLine1 = d.Memo;
    UnitGval::MemoLine2.clear();
  } else {
    UnitGval::MemoLine1 = d.Memo.substr(0, crlf);
    UnitGval::MemoLine2 = d.Memo.substr(crlf + 2);
  }
  UnitGval::HeaderPrintScale = d.PrinterScale;
}

bool TJwwData::LoadFromMemory(const uint8_t* data, size_t size, const std::string& path,
                              bool withImages, int objectLimit) {
  ResetDrawing();
  UnitGval::CurrentFileName = path;
  // The previous drawing's image files go with its list, never orphaned.
  if (withImages) jwwtype::ClearImages();
  ArchiveReader in(data, size);
  JwwReader reader(*this, in, withImages, withImages ? -1 : objectLimit);
  bool ok = false;
  try {
    if (!reader.Read()) {
      LoadStoppedAt = in.Position();
      LoadError = "the file version is older than 2.20";
      return false;
    }
    ok = true;
  } catch (const std::exception& e) {
    LoadError = e.what();
  }
  LoadStoppedAt = in.Position();
  PublishTextVariables(*this);
  BuildBlockInstances();
  return ok;
}
