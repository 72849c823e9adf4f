// The print run's options by name, as the programs take them in text: the
// flags of kestrovan-print ("--method fit") and the job options of the CUPS
// filter ("kestrovan-method=fit") come from this one table.
#pragma once

#include <initializer_list>
#include <string>

#include "app/core/PrintSettings.h"
#include "util/Status.h"

struct PrintOption {
  const char* Name;  // without "--" or "kestrovan-": "method", "mono", …
  bool TakesValue;
  // Sets the option in the settings record; fails when the value is not one
  // the option takes, saying why and naming the option as `shownAs`
  // ("--mono", "kestrovan-mono").
  util::Status (*Apply)(PrintSettings& s, const std::string& shownAs, const std::string& value);
  // For the usage text: what the value looks like (null for a flag), and
  // what the option does ("\n" begins another line).
  std::string (*ValueShown)();
  const char* Help;
  // The values a print dialog offers, "drawing|fit" (the first is the
  // default); null for an option that takes any number, or none.
  const char* Choices = nullptr;
};

// Every option, in the table's order.
const PrintOption* PrintOptionsBegin();
const PrintOption* PrintOptionsEnd();

// The option of that name, or null.
const PrintOption* FindPrintOption(const std::string& name);

// Every option a line (or more), "  " + prefix + name + value + help, for a
// program's usage text (prefix "--" for kestrovan-print); the options named
// in `describedElsewhere` are left out, for a program that describes them
// in its own words.
std::string PrintOptionsUsage(const char* prefix, std::initializer_list<const char*> describedElsewhere = {});
