#include "app/core/PrintSettings.h"

PrintSettings::PrintSettings() {
  const TgraAttribute defaults;
  for (int r = 0; r < TgraAttribute::kPenRows; ++r)
    PenTable[r] = {defaults.GetPenRowColor(r), defaults.GetPenRowWidth(r), defaults.GetPenRowPointRadius(r)};
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    TLineTypeRow& row = LineTypeTable[r];
    row.Count = defaults.GetLineTypeRowCount(r);
    row.Amplitude = defaults.GetLineTypeRowAmplitude(r);
    for (int i = 0; i < row.Count; ++i) row.Elements[i] = defaults.GetLineTypeRowElement(r, i);
    row.Period = defaults.GetLineTypeRowPeriod(r);
  }
}
