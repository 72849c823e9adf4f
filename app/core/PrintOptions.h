// The print run's options by name, as the programs take them in text: the
// flags of kestrovan-print ("--method fit") and the job options of the CUPS
// filter ("kestrovan-method=fit") come from this one table.
#pragma once

#include <string>

#include "app/core/PrintSettings.h"

struct PrintOption {
  const char* Name;  // without "--" or "kestrovan-": "method", "mono", …
  bool TakesValue;
  // Sets the option in the settings record; false when the value is not one
  // the option takes, with the reason in `error`, naming the option as
  // `shownAs` ("--mono", "kestrovan-mono").
  bool (*Apply)(PrintSettings& s, const std::string& shownAs, const std::string& value, std::string& error);
  // The values a print dialog offers, "drawing|fit" (the first is the
  // default); null for an option that takes any number, or none.
  const char* Choices = nullptr;
};

// Every option, in the table's order.
const PrintOption* PrintOptionsBegin();
const PrintOption* PrintOptionsEnd();

// The option of that name, or null.
const PrintOption* FindPrintOption(const std::string& name);
