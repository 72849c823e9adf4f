// A page showing every primitive, for looking at and for the device tests.
#pragma once

#include <string>

#include "render/Canvas.h"

// Draws on a page window already set (any size; the sheet is laid out on a
// 420 x 297 mm grid scaled to the window). `imagePath` is an image file to
// place (Shift-JIS path), or empty.
void DrawPrimitivePage(Canvas& canvas, const std::string& imagePath);
