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

struct PrinterCatalog {
  std::function<QStringList()> Names;
  std::function<QString()> DefaultName;  // empty: no default printer set up
  // The named queue, asked for `request`'s page (null: the printer's own paper).
  std::function<util::Result<std::unique_ptr<PrintDevice>>(const QString& name, const PageSetup* request)> Open;
};

PrinterCatalog SystemPrinters();
