// The job options as PPD options, for a queue's PPD: then `lpoptions -l` and
// print dialogs offer them with their labels, in English and in Japanese,
// and `lpadmin -o NAME=VALUE` sets a queue's default. The options with a few
// values (and the off-paper policy) only; "None" leaves an option as the
// drawing says. The block written is marked at both ends, so that it is
// found again and taken away whole.
#pragma once

#include <string>

// The block for the PPD whose text is `ppd` (empty: any English PPD): its
// main labels in the PPD's language (Japanese for a Japanese PPD, in its
// encoding; else English) and a translation of every label for each language
// it lists in cupsLanguages (Japanese, else English, as CUPS's own tools
// write a label they have no translation of) and for Japanese whatever it
// lists, so that the merged PPD passes cupstestppd. An option the PPD has
// already (an earlier block) keeps its default there, the queue's preset.
std::string PpdOptionsBlock(const std::string& ppd = std::string());

// The PPD without the block (nothing changed when it has none).
std::string WithoutPpdOptions(const std::string& ppd);

// Whether the PPD holds the block.
bool HasPpdOptions(const std::string& ppd);
