// A print device that records documents and pages and draws on a recording canvas.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "RecordingCanvas.h"
#include "render/PrintDevice.h"

class RecordingDevice : public PrintDevice {
 public:
  RecordingDevice() : log(&ownLog_) {}
  explicit RecordingDevice(std::vector<std::string>* into) : log(into) {}

  std::vector<std::string>* log;  // "begin <title>", "new", "end"
  RecordingCanvas canvas;
  std::function<void()> onEnd;  // called after each document ends

  std::string PrinterName() const override { return "rec"; }
  int PrinterDpiX() const override { return 100; }
  int PrinterDpiY() const override { return 100; }
  int PaperWidthPx() const override { return 1000; }
  int PaperHeightPx() const override { return 800; }
  int PageWidthPx() const override { return 1000; }
  int PageHeightPx() const override { return 800; }
  util::Status BeginPrintDocument(const std::string& t) override {
    log->push_back("begin " + PrintJobTitle(t));
    return util::Status();
  }
  util::Status NewPrintPage() override {
    log->push_back("new");
    return util::Status();
  }
  util::Status EndPrintDocument() override {
    log->push_back("end");
    if (onEnd) onEnd();
    return util::Status();
  }
  Canvas& PageCanvas() override { return canvas; }
  int PagesPrinted() const override { return 0; }

 private:
  std::vector<std::string> ownLog_;
};
