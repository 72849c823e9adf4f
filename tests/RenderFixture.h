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
  RecordingCanvas canvas;
};
