// TJwwData: reset, block instances, extents and entity counts.
#include "jww/jwwunit.h"

#include <cmath>
#include <functional>
#include <unordered_map>

#include "jww/ImageReference.h"
#include "render/UnitGval.h"
#include "util/Geometry.h"

namespace jwwunit {
Extents DrawingExtents;
}

void TJwwData::ResetDrawing() {
  Magic.clear();
  Version = 0;
  Memo.clear();
  PaperSize = 0;
  WriteLayerGroup = 0;
  LayerGroups.fill(TJwwLayerGroup());
  Layers.fill(TJwwLayer());
  DimensionSettings.fill(0);
  MaxDrawWidth = 0;
  MaxDrawWidthCoded = false;
  MaxDrawWidthValue = 0;
  PrinterOriginX = PrinterOriginY = 0;
  PrinterScale = 1.0;
  PrinterSetting = 0;
  Pens.fill(TJwwPen());
  LineTypes.fill(TJwwLineType());
  RandomLines.fill(TJwwRandomLine());
  DoubleLineTypes.fill(TJwwLineType());
  PrintStateUnits = 0;
  PrinterResolutionCode = 0;
  DrawTimeSeconds = 0;
  SxfPens.fill(TJwwSxfPen());
  SxfLineTypes.fill(TJwwSxfLineType());
  TextStyles.fill(TJwwTextStyle());
  Kept = TJwwKeptHeader();
  EntityCountInFile = 0;
  Entities.Clear();
  BlockDefs.clear();
  BlockInstances.clear();
  UsedBlockDefCount = 0;
  ExtentMinX = ExtentMinY = ExtentMaxX = ExtentMaxY = 0;
  BlockInstancesCut = false;
  HasPenTable = false;
  HasLineTypeTable = false;
}

void TJwwData::ClearDrawing() {
  for (TJwwBlockDef& def : BlockDefs) def.Entities.Release();
  ResetDrawing();
  Entities.Release();
}

// ---------------------------------------------------------------------------
// Block instances


void TJwwData::BuildBlockInstances() {
  BlockInstances.clear();
  BlockInstancesCut = false;
  UsedBlockDefCount = 0;
  for (TJwwBlockDef& def : BlockDefs) {
    def.Used = false;
    def.UsedIndex = -1;
  }
  if (Entities.Blocks.empty()) return;

  // Definitions looked up by number once; the first with a number wins.
  std::unordered_map<int32_t, int> byNumber;
  for (size_t i = 0; i < BlockDefs.size(); ++i) byNumber.emplace(BlockDefs[i].Number, static_cast<int>(i));
  // What the placements draw so far, against kMaxBlockContents.
  size_t contents = 0;
  auto lookUp = [&](TJwwBlockInstance& inst) {
    const auto it = byNumber.find(inst.BlockNumber);
    if (it == byNumber.end()) return true;
    const TJwwEntityLists& lists = BlockDefs[static_cast<size_t>(it->second)].Entities;
    const size_t drawn = lists.EntityTotal() - lists.Blocks.size();
    if (contents + drawn > kMaxBlockContents) return false;
    contents += drawn;
    inst.DefIndex = it->second;
    inst.DefName = BlockDefs[static_cast<size_t>(it->second)].Name;
    BlockDefs[static_cast<size_t>(it->second)].Used = true;
    return true;
  };
  // A stop asked for while a tree of placements is built ends it there.
  bool halted = false;
  auto stopped = [&] { return halted = (BlockInstances.size() & 4095) == 0 && UnitGval::AbortRequested(); };

  for (const TJwwBlock& b : Entities.Blocks) {
    if (BlockInstances.size() >= kMaxBlockInstances) {
      BlockInstancesCut = true;
      break;
    }
    TJwwBlockInstance inst;
    static_cast<TJwwEntityBase&>(inst) = b;
    inst.Depth = 0;
    inst.Parent = -1;
    inst.BlockNumber = b.BlockNumber;
    inst.TranslateX = b.X;
    inst.TranslateY = b.Y;
    const double c = std::cos(b.Rotation), s = std::sin(b.Rotation);
    inst.M11 = b.ScaleX * c;
    inst.M12 = -b.ScaleY * s;
    inst.M21 = b.ScaleX * s;
    inst.M22 = b.ScaleY * c;
    inst.TextFlip = b.ScaleX * b.ScaleY < 0 ? -1 : 1;
    inst.TextTurn = b.Rotation;
    inst.MarkTurn = b.Rotation;
    inst.AllMirrored = b.ScaleX < 0 || b.ScaleY < 0;
    if (stopped()) break;
    if (!lookUp(inst)) {
      BlockInstancesCut = true;
      break;
    }
    BlockInstances.push_back(std::move(inst));
  }

  bool contentsFull = BlockInstancesCut || halted;
  for (size_t k = 0; k < BlockInstances.size() && !contentsFull; ++k) {
    if (BlockInstances[k].DefIndex < 0) continue;
    const TJwwBlockDef& def = BlockDefs[static_cast<size_t>(BlockInstances[k].DefIndex)];
    if (def.Entities.Blocks.empty()) continue;
    if (BlockInstances[k].Depth + 1 > kMaxBlockDepth) {
      BlockInstancesCut = true;  // a definition that inserts itself, directly or not
      continue;
    }
    for (const TJwwBlock& b : def.Entities.Blocks) {
      if (BlockInstances.size() >= kMaxBlockInstances) {
        BlockInstancesCut = true;
        break;
      }
      const TJwwBlockInstance& parent = BlockInstances[k];
      TJwwBlockInstance inst;
      static_cast<TJwwEntityBase&>(inst) = def;
      // The outermost insertion's layer decides for everything inside it: a
      // block of insertions on shown layers, itself inserted on a hidden or
      // display-only layer, prints nothing or in grey, whatever the layers
      // of the insertions inside (unless a block keeps its members' layers).
      if (!parent.OwnLayers()) {
        inst.LayerGroup = parent.LayerGroup;
        inst.Layer = parent.Layer;
      }
      inst.Depth = parent.Depth + 1;
      inst.Parent = static_cast<int32_t>(k);
      inst.BlockNumber = b.BlockNumber;
      inst.TranslateX = parent.TranslateX + parent.M11 * b.X + parent.M12 * b.Y;
      inst.TranslateY = parent.TranslateY + parent.M21 * b.X + parent.M22 * b.Y;
      const double c = std::cos(b.Rotation), s = std::sin(b.Rotation);
      const double b11 = b.ScaleX * c, b12 = -b.ScaleY * s, b21 = b.ScaleX * s, b22 = b.ScaleY * c;
      inst.M11 = parent.M11 * b11 + parent.M12 * b21;
      inst.M12 = parent.M11 * b12 + parent.M12 * b22;
      inst.M21 = parent.M21 * b11 + parent.M22 * b21;
      inst.M22 = parent.M21 * b12 + parent.M22 * b22;
      inst.TextFlip = parent.TextFlip * (b.ScaleX * b.ScaleY < 0 ? -1 : 1);
      inst.TextTurn = parent.TextTurn + parent.TextFlip * b.Rotation;
      inst.MarkTurn = parent.MarkTurn + b.Rotation;
      inst.AllMirrored = parent.AllMirrored && (b.ScaleX < 0 || b.ScaleY < 0);
      if (stopped()) {
        contentsFull = true;  // (no more is built; the draw pass stops at once)
        break;
      }
      if (!lookUp(inst)) {
        BlockInstancesCut = contentsFull = true;
        break;
      }
      BlockInstances.push_back(std::move(inst));
    }
    if (contentsFull || (BlockInstancesCut && BlockInstances.size() >= kMaxBlockInstances)) break;
  }

  for (TJwwBlockDef& def : BlockDefs)
    if (def.Used) def.UsedIndex = UsedBlockDefCount++;
  if (BlockInstances.capacity() > BlockInstances.size() + BlockInstances.size() / 4 + 64)
    BlockInstances.shrink_to_fit();
}

// ---------------------------------------------------------------------------
// Extents

bool IsEmptyBaseLineText(const TJwwMoji& t) {
  return std::fabs(t.EndX - t.StartX) < 1e-14 && std::fabs(t.EndY - t.StartY) < 1e-14 &&
         !IsImageReference(t.Text);
}

namespace {

constexpr double kLimit = 1e8;

// Walks a drawing's points into the extents. A point with a coordinate that
// is not finite is passed over: it would poison every comparison after it.
class ExtentsBuilder {
 public:
  explicit ExtentsBuilder(jwwunit::Extents& e) : e_(e) {}

  bool Seeded() const { return seeded_; }
  // The first finite point seeds the extents.
  void WaitForSeed() { waitingForSeed_ = true; }

  void Init(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
      waitingForSeed_ = true;
      return;
    }
    e_.MinX = e_.MaxX = x;
    e_.MinY = e_.MaxY = y;
    seeded_ = true;
    waitingForSeed_ = false;
    Limit();
  }

  void Extend(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (waitingForSeed_) {
      Init(x, y);
      return;
    }
    if (x < e_.MinX) e_.MinX = x;
    if (y < e_.MinY) e_.MinY = y;
    if (x > e_.MaxX) e_.MaxX = x;
    if (y > e_.MaxY) e_.MaxY = y;
    Limit();
  }

  // Through a block instance's transform.
  void ExtendMapped(double x, double y, const TJwwBlockInstance* t) {
    if (!t) {
      Extend(x, y);
      return;
    }
    Extend(t->TranslateX + t->M11 * x + t->M12 * y, t->TranslateY + t->M21 * x + t->M22 * y);
  }

 private:
  void Limit() {
    if (e_.MinX < -kLimit) e_.MinX = -kLimit;
    if (e_.MinY < -kLimit) e_.MinY = -kLimit;
    if (e_.MaxX > kLimit) e_.MaxX = kLimit;
    if (e_.MaxY > kLimit) e_.MaxY = kLimit;
  }

  jwwunit::Extents& e_;
  bool seeded_ = false;
  bool waitingForSeed_ = false;
};

void EllipsePoint(const TJwwEnko& a, double t, double& x, double& y) {
  const double u = a.Radius * std::cos(t), v = a.Radius * a.Flatness * std::sin(t);
  const double cp = std::cos(a.TiltAngle), sp = std::sin(a.TiltAngle);
  x = a.CenterX + cp * u - sp * v;
  y = a.CenterY + sp * u + cp * v;
}

double Normalize360(double d) {
  if (!std::isfinite(d)) return 0;
  d = std::fmod(d, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

// Which entities count; null counts every one.
using ExtentsFilter = std::function<bool(const TJwwEntityBase&)>;

// Adds the points of one entity list; `t` maps block contents (null at top level).
void AddListPoints(ExtentsBuilder& b, const TJwwEntityLists& lists, const TJwwBlockInstance* t,
                   const ExtentsFilter* only = nullptr) {
  auto skip = [only](const TJwwEntityBase& e) { return only && !(*only)(e); };
  for (const TJwwSen& s : lists.Lines) {
    if (skip(s)) continue;
    b.ExtendMapped(s.StartX, s.StartY, t);
    b.ExtendMapped(s.EndX, s.EndY, t);
  }
  for (const TJwwEnko& a : lists.Arcs) {
    if (skip(a)) continue;
    double x, y;
    if (a.FullCircle != 0) {
      for (int q = 0; q < 4; ++q) {
        EllipsePoint(a, q * (util::kPi / 2), x, y);
        b.ExtendMapped(x, y, t);
      }
      continue;
    }
    EllipsePoint(a, a.StartAngle, x, y);
    b.ExtendMapped(x, y, t);
    EllipsePoint(a, a.StartAngle + a.ArcAngle, x, y);
    b.ExtendMapped(x, y, t);
    double d = Normalize360(a.StartAngle * 180.0 / util::kPi);
    double e = a.ArcAngle * 180.0 / util::kPi;
    if (!std::isfinite(e)) continue;
    if (e < 0) {
      d = Normalize360(d + e);
      e = -e;
    }
    for (int q = 0; q < 4; ++q) {
      double delta = q == 0 ? 360.0 - d : q * 90.0 - d;
      if (q != 0 && delta < 0) delta += 360.0;
      if (delta <= e) {
        EllipsePoint(a, q * (util::kPi / 2), x, y);
        b.ExtendMapped(x, y, t);
      }
    }
  }
  for (const TJwwTen& p : lists.Points)
    if (!skip(p)) b.ExtendMapped(p.X, p.Y, t);
  for (const TJwwMoji& m : lists.Texts) {
    if (IsEmptyBaseLineText(m) || skip(m)) continue;
    b.ExtendMapped(m.StartX, m.StartY, t);
    b.ExtendMapped(m.EndX, m.EndY, t);
    ImageReference ref;
    if (!t && ParseImageReference(m.Text, ref)) b.Extend(m.StartX + ref.Width, m.StartY + ref.Height);
  }
  for (const TJwwSunpou& s : lists.Dimensions) {
    if (skip(s)) continue;
    b.ExtendMapped(s.DimLine.StartX, s.DimLine.StartY, t);
    b.ExtendMapped(s.DimLine.EndX, s.DimLine.EndY, t);
    b.ExtendMapped(s.DimText.StartX, s.DimText.StartY, t);
    b.ExtendMapped(s.DimText.EndX, s.DimText.EndY, t);
    if (s.SxfMode != 0) {
      b.ExtendMapped(s.AuxLine1.StartX, s.AuxLine1.StartY, t);
      b.ExtendMapped(s.AuxLine1.EndX, s.AuxLine1.EndY, t);
      b.ExtendMapped(s.AuxLine2.StartX, s.AuxLine2.StartY, t);
      b.ExtendMapped(s.AuxLine2.EndX, s.AuxLine2.EndY, t);
    }
  }
  for (const TJwwSolid& s : lists.Solids) {
    if (skip(s)) continue;
    b.ExtendMapped(s.X1, s.Y1, t);
    if (s.PenStyle <= 100) {
      b.ExtendMapped(s.X2, s.Y2, t);
      b.ExtendMapped(s.X3, s.Y3, t);
      b.ExtendMapped(s.X4, s.Y4, t);
    } else {
      TJwwEnko e;
      e.CenterX = s.X1;
      e.CenterY = s.Y1;
      e.Radius = s.X2;
      e.Flatness = s.Y2;
      e.TiltAngle = s.X3;
      double x, y;
      for (int q = 0; q < 4; ++q) {
        EllipsePoint(e, q * (util::kPi / 2), x, y);
        b.ExtendMapped(x, y, t);
      }
    }
  }
}

}  // namespace

bool TJwwData::ComputeExtents() {
  ExtentsBuilder b(jwwunit::DrawingExtents);
  const TJwwEntityLists& e = Entities;
  // Seed with the first entity of the first non-empty kind.
  const TJwwMoji* firstText = nullptr;
  for (const TJwwMoji& m : e.Texts)
    if (!IsEmptyBaseLineText(m)) {
      firstText = &m;
      break;
    }
  if (!e.Lines.empty()) {
    b.Init(e.Lines[0].StartX, e.Lines[0].StartY);
  } else if (!e.Arcs.empty()) {
    b.Init(e.Arcs[0].CenterX, e.Arcs[0].CenterY);
  } else if (!e.Points.empty()) {
    b.Init(e.Points[0].X, e.Points[0].Y);
  } else if (firstText) {
    b.Init(firstText->StartX, firstText->StartY);
  } else if (!e.Dimensions.empty()) {
    b.Init(e.Dimensions[0].DimLine.StartX, e.Dimensions[0].DimLine.StartY);
  } else if (!e.Solids.empty()) {
    b.Init(e.Solids[0].X1, e.Solids[0].Y1);
  } else if (!e.Blocks.empty()) {
    b.Init(e.Blocks[0].X, e.Blocks[0].Y);
  } else {
    return false;
  }

  AddListPoints(b, e, nullptr);
  for (const TJwwBlockInstance& inst : BlockInstances) {
    UnitGval::CurrentGroupScale = LayerGroups[inst.LayerGroup & 15].Scale;
    if (inst.DefIndex < 0) continue;
    AddListPoints(b, BlockDefs[static_cast<size_t>(inst.DefIndex)].Entities, &inst);
  }
  if (!b.Seeded()) return false;
  ExtentMinX = jwwunit::DrawingExtents.MinX;
  ExtentMinY = jwwunit::DrawingExtents.MinY;
  ExtentMaxX = jwwunit::DrawingExtents.MaxX;
  ExtentMaxY = jwwunit::DrawingExtents.MaxY;
  return true;
}

bool TJwwData::PrintedExtents(const TgraAttribute& attr, jwwunit::Extents& out, uint32_t groupMask) const {
  ExtentsBuilder b(out);
  b.WaitForSeed();
  const ExtentsFilter printed = [&attr, groupMask](const TJwwEntityBase& e) {
    // A layer past the 256 has no state to leave it out by, nor a group.
    const int layer = e.LayerIndex();
    const bool inGroups = layer >= TgraAttribute::kLayerCount || (groupMask & (1u << (layer / 16))) != 0;
    return inGroups && attr.GetLayerState(layer) != kLayerLeftOut;
  };
  const ExtentsFilter all = [](const TJwwEntityBase&) { return true; };
  AddListPoints(b, Entities, nullptr, &printed);
  for (const TJwwBlockInstance& inst : BlockInstances) {
    if (inst.DefIndex < 0) continue;
    // As the draw pass filters them: by the insertion, or by each member.
    const bool own = inst.OwnLayers();
    if (!own && !printed(inst)) continue;
    AddListPoints(b, BlockDefs[static_cast<size_t>(inst.DefIndex)].Entities, &inst, own ? &printed : &all);
  }
  return b.Seeded();
}

// ---------------------------------------------------------------------------
// Entity counts

TJwwEntityCounts TJwwData::CountEntities(LayerFilter layers) const {
  TJwwEntityCounts c;
  const int layerGroup = layers.Group, layer = layers.Layer;
  auto matches = [&](const TJwwEntityBase& e) {
    return (layerGroup < 0 || e.LayerGroup == layerGroup) && (layer < 0 || e.Layer == layer);
  };
  const TJwwEntityLists& e = Entities;
  for (const TJwwSen& s : e.Lines) c.Lines += matches(s);
  for (const TJwwEnko& a : e.Arcs) c.Arcs += matches(a);
  for (const TJwwTen& p : e.Points) {
    if (!matches(p)) continue;
    (p.IsTemporary() ? c.TemporaryPoints : c.Points)++;
  }
  for (const TJwwMoji& m : e.Texts) c.Texts += matches(m) && !IsEmptyBaseLineText(m);
  for (const TJwwSunpou& d : e.Dimensions) c.Dimensions += matches(d);
  for (const TJwwSolid& s : e.Solids) c.Solids += matches(s);
  for (const TJwwBlock& b : e.Blocks) c.Blocks += matches(b);

  for (const TJwwBlockInstance& inst : BlockInstances) {
    if (inst.DefIndex < 0) continue;
    const bool own = inst.OwnLayers();
    if (!own && !matches(inst)) continue;
    const TJwwEntityLists& d = BlockDefs[static_cast<size_t>(inst.DefIndex)].Entities;
    auto inner = [&](const TJwwEntityBase& x) { return !own || matches(x); };
    for (const TJwwSen& s : d.Lines) c.BlockLines += inner(s);
    for (const TJwwEnko& a : d.Arcs) c.BlockArcs += inner(a);
    for (const TJwwTen& p : d.Points) {
      if (!inner(p)) continue;
      (p.IsTemporary() ? c.BlockTemporaryPoints : c.BlockPoints)++;
    }
    for (const TJwwMoji& m : d.Texts) c.BlockTexts += inner(m) && !IsEmptyBaseLineText(m);
    for (const TJwwSunpou& x : d.Dimensions) c.BlockDimensions += inner(x);
    for (const TJwwSolid& s : d.Solids) c.BlockSolids += inner(s);
  }
  return c;
}
