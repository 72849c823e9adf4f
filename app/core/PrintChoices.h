// Each choice among the print options once: the number settings files store
// (the enum's value), the command-line word (also the CUPS job option's) and
// the window's label. The option parser and the settings page are built from
// these tables, so a choice added here reaches all three.
#pragma once

#include "app/core/PrintSettings.h"
#include "util/Messages.h"

template <typename T>
struct ChoiceRow {
  T Value;
  const char* Word;   // on the command line
  const char* Label;  // in the window (UTF-8)
};

inline constexpr ChoiceRow<PrintMethod> kPrintMethods[] = {
    {PrintMethod::DrawingSettings, "drawing", msg::kMethodDrawing},
    {PrintMethod::FitToPage, "fit", msg::kMethodFit},
    {PrintMethod::GivenScale, "scale", msg::kMethodScale},
};

inline constexpr ChoiceRow<TableSource> kTableSources[] = {
    {TableSource::EachDrawing, "drawing", msg::kSourceDrawing},
    {TableSource::UserTable, "table", msg::kSourceTable},
};

inline constexpr ChoiceRow<DisplayOnlyMode> kDisplayOnlyModes[] = {
    {DisplayOnlyMode::NotPrinted, "0", msg::kDisplayOnlyNotPrinted},
    {DisplayOnlyMode::Grey, "1", msg::kDisplayOnlyGrey},
    {DisplayOnlyMode::GivenColor, "2", msg::kDisplayOnlyGivenColor},
    {DisplayOnlyMode::AsUsual, "3", msg::kDisplayOnlyAsUsual},
};

inline constexpr ChoiceRow<PrintOrder> kPrintOrders[] = {
    {PrintOrder::AsStored, "normal", msg::kOrderNormal},
    {PrintOrder::ByLayer, "layer", msg::kOrderByLayer},
    {PrintOrder::ByLayerReverse, "reverse", msg::kOrderByLayerReverse},
};
