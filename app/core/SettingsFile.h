// Settings files (.dat): the user's files with a header line and the file
// list, and the window's default file with its position. Shift-JIS text,
// one value per line, CR LF.
#pragma once

#include <string>
#include <vector>

#include "app/core/PrintSettings.h"
#include "util/Status.h"

// What a settings file carries besides the print options.
struct SettingsFileExtras {
  int WindowLeft = 0, WindowTop = 0, WindowWidth = 0, WindowHeight = 0;  // window form
  std::string SettingsFolder;                                             // window form
  std::string DrawingFolder, JwwImportFolder, JwfImportFolder;
  std::vector<std::string> Files;  // header form; Shift-JIS paths as written

  // The window form's last choice of where to print. It is written after the
  // last line of the layout, behind its own marker line, so every reader of
  // the layout stops before it; a file without it leaves Present false.
  struct Output {
    bool Present = false;
    bool Pdf = true;
    std::string Printer;   // Shift-JIS; empty: the default printer
    std::string PdfPath;   // Shift-JIS
    std::string Paper;     // "A3", "A4", … or "WxHmm"
    bool Landscape = true;
    int Dpi = 600;
    std::string PaperMode;  // "given", "drawing" (each drawing's sheet), "reduced" (onto Paper)
    // A printer's own choices ("Name=value" lines after the paper choice):
    // copies, and two-sided, tray and colour as Qt numbers them (-1: the printer's setting).
    int Copies = 1, Duplex = -1, PaperSource = -1, ColorMode = -1;
  } KeptOutput;

  // The window form's list of drawings, kept across restarts with each
  // drawing's state after the run that last printed it. Written after the
  // layout's options, before the output choice, behind its own marker line.
  struct Listed {
    std::string Path;   // Shift-JIS, as the list holds it
    std::string State;  // the window's word for it ("printed", …); empty: not printed yet
    int Pages = 0;
  };
  std::vector<Listed> KeptList;
};

enum class SettingsForm { User, Window };

enum class SettingsReadResult {
  Opened,       // "Kestrovan設定ファイルを開きました。"
  NoFile,       // nothing read, options at their defaults
  NotSettings,  // the header is not ours: nothing changed
  Damaged,      // a read failed; what was read stays
};

// The status-bar texts (Shift-JIS) of the outcomes.
std::string SettingsStatusText(SettingsReadResult r);
std::string SettingsSavedText(bool ok);

// Every clamp of the options and tables, as at each transfer.
void ClampSettings(PrintSettings& s);

SettingsReadResult ReadSettingsFile(const std::string& path, SettingsForm form, PrintSettings& s,
                                    SettingsFileExtras& extras);
// The same over a settings file's bytes.
SettingsReadResult ReadSettingsText(const std::string& text, SettingsForm form, PrintSettings& s,
                                    SettingsFileExtras& extras);
// Written beside the target and renamed into place, so a failed save never
// destroys the previous file.
util::Status WriteSettingsFile(const std::string& path, SettingsForm form, const PrintSettings& s,
                               const SettingsFileExtras& extras);

// The settings file's number texts: integers in decimal (reading also "$"
// hexadecimal), reals in the shortest form that reads back exactly.
std::string SettingsReal(double v);
int32_t SettingsTextToInt(const std::string& text);
