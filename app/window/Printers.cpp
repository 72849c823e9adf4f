#include "app/window/Printers.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "platform/PrintService.h"

#include <algorithm>

void ApplyPrinterProperties(const PrinterProperties& p, QPrinter& printer) {
  printer.setCopyCount(std::max(1, p.Copies));
  if (p.Duplex >= 0) printer.setDuplex(static_cast<QPrinter::DuplexMode>(p.Duplex));
  if (p.PaperSource >= 0) printer.setPaperSource(static_cast<QPrinter::PaperSource>(p.PaperSource));
  if (p.ColorMode >= 0) printer.setColorMode(static_cast<QPrinter::ColorMode>(p.ColorMode));
}

PrinterProperties PrinterPropertiesOf(const QPrinter& printer) {
  PrinterProperties p;
  p.Copies = std::max(1, printer.copyCount());
  p.Duplex = static_cast<int>(printer.duplex());
  p.PaperSource = static_cast<int>(printer.paperSource());
  p.ColorMode = static_cast<int>(printer.colorMode());
  return p;
}

PrinterCatalog SystemPrinters() {
  PrinterCatalog c;
  c.Names = [] { return QPrinterInfo::availablePrinterNames(); };
  c.DefaultName = [] { return QPrinterInfo::defaultPrinterName(); };
  c.Open = [](const QString& name, const PageSetup* request, const PrinterProperties& properties) {
    return platform::MakeCupsPrintService(name.toStdString(), request,
                                          [properties](QPrinter& p) { ApplyPrinterProperties(properties, p); });
  };
  return c;
}
