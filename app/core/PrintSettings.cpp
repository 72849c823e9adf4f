#include "app/core/PrintSettings.h"

PrintSettings::PrintSettings() {
  const TgraAttribute defaults;
  for (int r = 0; r < TgraAttribute::kPenRows; ++r)
    PenTable[r] = {defaults.GetPenRowColor(r), defaults.GetPenRowWidth(r), defaults.GetPenRowPointRadius(r)};
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) LineTypeTable[r] = StoredLineTypeRow(defaults, r);
}

TLineTypeRow StoredLineTypeRow(const TgraAttribute& attr, int r) {
  TLineTypeRow row;
  row.Count = attr.GetLineTypeRowCount(r);
  row.Amplitude = attr.GetLineTypeRowAmplitude(r);
  for (int i = 0; i < row.Count; ++i) row.Elements[i] = attr.GetLineTypeRowElement(r, i);
  row.Period = attr.GetLineTypeRowPeriod(r);
  return row;
}
