// Plane geometry in drawing millimetres (y up, angles in radians, CCW).
#pragma once

#include <string_view>

namespace util {

constexpr double kPi = 3.14159265358979323846;

double RotateX(double x, double y, double cx, double cy, double angle);
double RotateY(double x, double y, double cx, double cy, double angle);

// Direction of (dx, dy) in [0, 2*pi); 0 for a vector shorter than 1e-14 in both parts.
double VectorAngle(double dx, double dy);

double Distance(double x1, double y1, double x2, double y2);

// Length of a Shift-JIS text written with character width w and spacing s:
// a double-byte character takes w (+ s before its successor), a single-byte one half.
double TextLength(std::string_view text, double w, double s);

}  // namespace util
