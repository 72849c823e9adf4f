// The run's records in Japanese: every file status, file problem, page
// warning and run failure, and the web service's own refusals, in the words
// the window shows them. One table for every program that speaks Japanese
// to its user (the window, the CUPS filter for Japanese jobs, kestrovan-web);
// English stays with the records (DescribeFileProblem, DescribeWarning).
// All texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "app/core/FileOutcome.h"
#include "app/core/PageWarnings.h"

namespace words {

// "印刷", "破損", "読み飛ばし", … (a status as a word of a table).
std::string Status(FileStatus status);
// A problem as the window lists it after the file's name.
std::string Problem(const FileProblem& problem);
// A page's warning; empty for those told per file (an image missing).
std::string Warning(const PageWarning& warning);
// "【警告】" for a warning of content that does not reach the paper, else "【注記】".
std::string WarningMark(const PageWarning& warning);
// Why a whole run printed nothing or could not finish its output.
std::string Failure(RunFailure failure);

// One thing a user is told about one file of a run, in the order the
// window lists them: what the reading found, each page's warnings and
// notes, what the pages lost, then what became of the file.
struct Told {
  // PageWarning: a page lost content (off the paper, blank, only white);
  // PageNote: layers left out, a face replaced, the paper unknown.
  enum Kind { PassedOver, Damaged, Blank, CutShort, NotReached, PageWarning, PageNote };
  Kind What = PassedOver;
  std::string Path;  // the file, as the run was given it
  std::string Text;
};
// Every file's, in the run's order (stopped: the files never reached are
// listed too).
std::vector<Told> TellFiles(const std::vector<FileRecord>& files, bool stopped);
// One file's own, as its entry in the window's list and the web's table
// show them (also why it was not written, which a run's list says once).
std::vector<Told> TellFile(const FileRecord& file);
std::vector<std::string> FileLines(const FileRecord& file);

// The one-line summary of a run ("印刷終了しました。…").
std::string Summary(const std::vector<FileRecord>& files, bool stopped);

// The web service's refusals and job outcomes, each with its key (for
// clients) and its words.
enum class WebProblem {
  NotMultipart,     // the upload is not multipart/form-data
  NoDrawings,       // no part named "files"
  FileAsField,      // a file sent under another name
  TooManyFields,
  FieldTooLong,
  BadOption,        // a field that is no print option, or a value it does not take
  UploadIncomplete,
  TooManyFiles,     // more drawings than a job takes
  FileTooLarge,     // a drawing larger than the server takes
  JobTooLarge,      // an upload larger than a job takes
  QueueFull,        // as many jobs waiting as the server takes
  NoRoom,           // the server's disk is full
  ServerFolder,     // the server cannot keep the job's files
  PasswordNeeded,
  OtherSite,        // a page of another site
  NoSuchJob,
  NotFinished,
  NoPdf,
  NoQueueNamed,
  NoSuchQueue,
  QueueRefused,     // CUPS did not take the job
  NoSuchPage,
  MethodNotAllowed,
  BadRequest,
  ServerError,
  // A job's outcome:
  DiedOnDrawing,    // the print program ended by a signal on this drawing; the rest printed without it
  TimedOut,         // the job ran past its time limit
  NoReport,         // the print program left no report
  RunFailed,        // the print run failed (its RunFailure says why)
};
const char* WebProblemKey(WebProblem problem);
std::string WebProblemWords(WebProblem problem);

}  // namespace words
