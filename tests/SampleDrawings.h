// The sample drawings bundled under samples/, built with the test writer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// (file name, bytes) of every sample drawing.
std::vector<std::pair<std::string, std::vector<uint8_t>>> BuildSampleDrawings();
