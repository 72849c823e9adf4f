// A page window and fresh pen attributes for the primitive tests.
#pragma once

#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "attr/UnitGraAtt.h"
#include "render/UnitGra.h"

class RenderTest : public ::testing::Test {
 protected:
  // A page of 0..w x 0..h mm at `scale` device pixels per mm.
  void Page(double w, double h, double scale) {
    UnitGval::PageWindow = {0, 0, w, h, scale, static_cast<int32_t>(w * scale),
                            static_cast<int32_t>(h * scale)};
  }
  void SetUp() override {
    UnitGraAtt::GraAttribute().ResetAttributes();
    UnitGraAtt::GraAttribute().SetPrintMode(true);
    UnitGval::ResetSharedValues();
    Page(100, 100, 10);
  }
  TgraAttribute& Attr() { return UnitGraAtt::GraAttribute(); }
  // A whole circle of radius r about (x, y): flatness, tilt and the arc are set by name.
  static UnitGra::EllipseArc Circle(double x, double y, double r) {
    UnitGra::EllipseArc e;
    e.CenterX = x;
    e.CenterY = y;
    e.Radius = r;
    return e;
  }
  // The image file `path` placed upright and whole from (x1, y1) to (x2, y2).
  static UnitGra::PlacedImage ImageAt(const std::string& path, double x1, double y1, double x2, double y2) {
    UnitGra::PlacedImage image;
    image.Path = path;
    image.X1 = x1;
    image.Y1 = y1;
    image.X2 = x2;
    image.Y2 = y2;
    return image;
  }
  // The part of `e` from `start` through `sweep`.
  static UnitGra::EllipseArc Arc(UnitGra::EllipseArc e, double start, double sweep) {
    e.Start = start;
    e.Sweep = sweep;
    return e;
  }
  RecordingCanvas canvas;
};
