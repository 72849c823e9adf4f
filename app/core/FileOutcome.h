// What became of each file of a print run, as data: its status, the problems
// found in it and its pages. The run makes one FileRecord per file and
// finishes it; the console, the window, the CUPS filter, the report and the
// web service only put it into words (app/core/RecordWords.h for Japanese),
// and the report writes and reads every kind through the key tables here.
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
  Stopped,     // the run stopped inside it (while the run goes: the file in hand)
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

// The problems a file may have, as data: each kind with what it needs to be
// told (a size and its limit, the byte the reading stopped at, the images
// not found, ...).
struct FileProblem {
  enum class Kind {
    // Passed over, never printed:
    NoSuchFile,   // nothing at the path
    NotAFile,     // a folder, a device, ...
    Empty,        // a file of no bytes
    NotDrawing,   // it does not begin with "JwwData."
    OutOfMemory,  // too big for the memory there is
    TooLarge,     // Count bytes: larger than any drawing the reader takes (Limit)
    Unreadable,   // Why: it could not be read at all (no temporary folder for its images, say)
    // Damaged, printed as far as it could be read:
    Damaged,            // Why, and the byte the reading stopped at (Count)
    ImagesNotUnpacked,  // Count embedded images that could not be unpacked
    // Printed without all of it:
    BlocksCut,      // blocks insert themselves or multiply past Count placed blocks (or Limit entities)
    PageCut,        // a page asks for more than Count strokes, texts and figures
    ImagesMissing,  // Names (Shift-JIS): images it places, not found or unreadable
  };
  Kind What = Kind::NoSuchFile;
  std::string Why;  // Unreadable, Damaged: the cause in words (UTF-8)
  int64_t Count = 0;
  int64_t Limit = 0;  // TooLarge: the largest file read; BlocksCut: the entities drawn in blocks
  std::vector<std::string> Names;
};
bool operator==(const FileProblem& a, const FileProblem& b);

// The report's word for a kind ("no_such_file", "too_large", ...), and back.
const char* FileProblemKey(FileProblem::Kind kind);
bool FileProblemFromKey(const std::string& key, FileProblem::Kind& out);
// A problem of the kind with its data filled in as the run finds it.
FileProblem MakeFileProblem(FileProblem::Kind kind, std::string why = std::string(), int64_t count = 0,
                            std::vector<std::string> names = {});

// What a problem makes of its file: the one grouping of the kinds every
// listener tells them by.
enum class ProblemWeight { PassesOver, Damages, CutsShort };
ProblemWeight WeightOf(FileProblem::Kind kind);
// A problem in English (UTF-8), for stderr, the CUPS log and the report's
// "reason"; the Japanese words are in RecordWords.h.
std::string DescribeFileProblem(const FileProblem& p);

struct FileRecord {
  std::string Path;  // as given
  FileStatus Status = FileStatus::NotReached;
  std::vector<FileProblem> Problems;  // in the order they were found
  std::vector<PageReport> Pages;
};

// The problem that passed the file over or damaged it, or nullptr.
const FileProblem* MainProblem(const FileRecord& file);
// The file printed without all of it (blocks or a page cut at a guard,
// images it places missing).
bool CutShort(const FileRecord& file);
// Its pages are on the output (printed, damaged, or stopped inside).
bool OnOutput(const FileRecord& file);

// What a run's records add up to, counted from them alone.
struct RunCounts {
  int Pages = 0;             // pages on the output
  int FilesPrinted = 0;      // files with pages on the output
  int FilesPassedOver = 0;
  int FilesDamaged = 0;      // printed as far as they could be read
  int FilesBlank = 0;        // nothing to print (damaged ones with no page too)
  int FilesCutShort = 0;     // printed without all of them
  int FilesStopped = 0;      // the run stopped inside them
  int FilesNotReached = 0;
  int FilesNotWritten = 0;
  int PagesLosingContent = 0;  // pages with a warning of content that does not reach the paper
};
RunCounts CountRun(const std::vector<FileRecord>& files);

// Why a whole run printed nothing, or could not finish its output.
enum class RunFailure {
  None,
  NoTemporaryFolder,  // no folder for the drawings' images
  OutputNotWritten,   // the device refused a document, a page or the finished output
  OutOfMemory,        // beyond what one file's load can catch
  Refused,            // the command line was refused before anything began
};
const char* RunFailureKey(RunFailure failure);
bool RunFailureFromKey(const std::string& key, RunFailure& out);
