#include "app/window/Printers.h"

#include <QPrinterInfo>

#include "platform/PrintService.h"

PrinterCatalog SystemPrinters() {
  PrinterCatalog c;
  c.Names = [] { return QPrinterInfo::availablePrinterNames(); };
  c.DefaultName = [] { return QPrinterInfo::defaultPrinterName(); };
  c.Open = [](const QString& name, const PageSetup* request) {
    return platform::MakeCupsPrintService(name.toStdString(), request);
  };
  return c;
}
