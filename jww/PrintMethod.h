// How a drawing is placed on the page, apart from the page window that
// places it, so the settings record can name it without the drawing.
#pragma once

#include <cstdint>

// Settings files store these numbers.
enum class PrintMethod : int32_t { DrawingSettings = 0, FitToPage = 1, GivenScale = 2 };
