// The files a run writes, checked against the files it reads before anything
// is written: an output never replaces a drawing, an input of the run, or
// another output of the same run.
#pragma once

#include <string>
#include <vector>

#include "util/Status.h"

struct NamedPath {
  std::string Option;  // as the user wrote it ("--pdf", or "drawing" for the files named)
  std::string Path;
  // For an output: the one input it may replace (the report a resumed run
  // read, the settings file saved back); empty for none.
  std::string MayReplace;
};

// True when both name one file: the same file on the disk when both exist,
// else the same path from the root.
bool SameFile(const std::string& a, const std::string& b);

// Fails, saying which option names what, when an output is one of the
// inputs, holds a drawing, or is named by another output too.
util::Status CheckOutputs(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs);
