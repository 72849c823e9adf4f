// What one TJwwData::DrawDrawing draws, and which layers CountEntities
// counts: named values in place of positional flags and -1 placeholders.
#pragma once

#include <cstdint>

// The order a page's entities are drawn in (settings files store these numbers).
enum class PrintOrder : int32_t { AsStored = 0, ByLayer = 1, ByLayerReverse = 2 };

// One layer group and one layer in it; -1 for every group, every layer.
// Made by name (OfGroup, OfLayer): a {group, layer} list would take the
// two numbers in either order.
struct LayerFilter {
  int Group = -1;
  int Layer = -1;

  LayerFilter() {}  // every layer; written out, so no {group, layer} list compiles
  static LayerFilter OfGroup(int group) {
    LayerFilter f;
    f.Group = group;
    return f;
  }
  // The one layer of index 0..255 (group x 16 + layer), as the layer states count.
  static LayerFilter OfLayer(int layerIndex) {
    LayerFilter f;
    f.Group = layerIndex / 16;
    f.Layer = layerIndex % 16;
    return f;
  }
};

// The defaults draw a page as the print run does: every layer, temporary
// points left out, auxiliary lines only when the pen attributes print them,
// layers the attributes hide (state 3) left out. The fields are set by name.
struct DrawDrawingArgs {
  DrawDrawingArgs() {}  // written out, so no {order, rotation, layers} list compiles

  PrintOrder Order = PrintOrder::AsStored;
  double Rotation = 0;  // the page rotation, radians
  // In ByLayerReverse order the filter counts from the end: group g and
  // layer l stand for group 15 - g and layer 15 - l.
  LayerFilter Layers;
  bool IncludeTemporaryPoints = false;
  bool FilterAuxiliary = true;
  bool SkipHiddenLayers = true;
  // The most entities the page draws, block contents counted one by one: a
  // small file of nested blocks can otherwise ask for billions of strokes.
  static constexpr int64_t kDefaultMaxDrawn = 20000000;
  int64_t MaxDrawn = kDefaultMaxDrawn;
};
