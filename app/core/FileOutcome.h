// What became of each file of a print run, as data: its status, the problems
// found in it and its pages. The run makes one FileRecord per file; the
// console, the window, the CUPS filter and the report each put it in their
// own words, with a switch over every kind, so a new kind is a compile
// warning everywhere it must be told.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/PageWarnings.h"

enum class FileStatus {
  Printed,     // every page on the output
  Damaged,     // printed as far as it could be read
  Blank,       // nothing to print: no page
  PassedOver,  // not printed at all: missing, not a drawing, too big for the memory
  Stopped,     // the run stopped inside it
  NotReached,  // the run ended before it
  NotWritten,  // its pages never reached the output
};

// The report's word for a status ("printed", "passed_over", ...), and back;
// false for a word no report writes. Both read one table.
const char* FileStatusKey(FileStatus status);
bool FileStatusFromKey(const std::string& key, FileStatus& out);
// The files a resumed run prints again: those that did not print (passed
// over, stopped, not reached, not written).
bool PrintAgain(FileStatus status);

struct FileProblem {
  enum class Kind {
    // Passed over, never printed:
    NoSuchFile,   // nothing at the path
    NotAFile,     // a folder, a device, ...
    Empty,        // a file of no bytes
    NotDrawing,   // it does not begin with "JwwData."
    OutOfMemory,  // too big for the memory there is
    TooLarge,     // Count bytes: larger than any drawing the reader takes
    Unreadable,   // Why: it could not be read at all (no temporary folder for its images, say)
    // Damaged, printed as far as it could be read:
    Damaged,            // Why, and the byte the reading stopped at (Count)
    ImagesNotUnpacked,  // Count embedded images that could not be unpacked
    // Printed without all of it:
    BlocksCut,      // blocks insert themselves or multiply past Count placed blocks
    PageCut,        // a page asks for more than Count strokes, texts and figures
    ImagesMissing,  // Names (Shift-JIS): images it places, not found or unreadable
  };
  Kind What = Kind::NoSuchFile;
  std::string Why;  // Unreadable, Damaged: the cause in words (UTF-8)
  int64_t Count = 0;
  std::vector<std::string> Names;
};

// What a problem makes of its file.
enum class ProblemWeight { PassesOver, Damages, CutsShort };
ProblemWeight WeightOf(FileProblem::Kind kind);
// A problem in words (UTF-8), for stderr, the CUPS log and the report.
std::string DescribeFileProblem(const FileProblem& p);

struct FileRecord {
  std::string Path;  // as given
  FileStatus Status = FileStatus::NotReached;
  std::vector<FileProblem> Problems;  // in the order they were found
  std::vector<PageReport> Pages;
};

// The problem that passed the file over or damaged it, or nullptr.
const FileProblem* MainProblem(const FileRecord& file);
// Nothing of what a run printed reached the output (one PDF that could not
// be written): every file it printed was not written after all.
void MarkOutputLost(std::vector<FileRecord>& files);
