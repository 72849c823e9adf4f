// The part of an image file a placed image shows: its left edge and the
// width shown as fractions of the file's width, its bottom edge as a
// fraction of the file's height (the height shown follows from the shape
// of the placement). The whole file by default.
#pragma once

struct ImageCrop {
  double Left = 0, Bottom = 0, Width = 1.0;
};
