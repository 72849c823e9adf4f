// The printers the window sees: the system's CUPS queues by default; tests
// give a list of their own, so the window behaves the same on a machine with
// printers and on one without.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "render/PrintDevice.h"
#include "util/Status.h"

// The printer's own choices, as Qt's printer dialog sets them: copies,
// two-sided printing, the paper tray, colour.
struct PrinterProperties {
  int Copies = 1;
  int Duplex = -1;       // QPrinter::DuplexMode; -1: as the printer is set up
  int PaperSource = -1;  // QPrinter::PaperSource; -1: as the printer is set up
  int ColorMode = -1;    // QPrinter::ColorMode; -1: as the printer is set up
};

class QPrinter;
// Sets `p` on a printer, leaving what `p` does not choose as it is.
void ApplyPrinterProperties(const PrinterProperties& p, QPrinter& printer);
// What a printer (after Qt's printer dialog) has chosen.
PrinterProperties PrinterPropertiesOf(const QPrinter& printer);

struct PrinterCatalog {
  std::function<QStringList()> Names;
  std::function<QString()> DefaultName;  // empty: no default printer set up
  // The named queue, asked for `request`'s page (null: the printer's own
  // paper) with the printer's own choices.
  std::function<util::Result<std::unique_ptr<PrintDevice>>(const QString& name, const PageSetup* request,
                                                           const PrinterProperties& properties)>
      Open;
};

PrinterCatalog SystemPrinters();
