#include "program_data.h"

#include <algorithm>

namespace korva::project {

TProgramData::TProgramData() {
  PDSETT = {0.1, 0.25, 0.5, 0.75, 1, 1, 1, 1, 1, 1};
}

void TProgramData::InitPDSET() {
  PDSETT = {0.1, 0.25, 0.5, 0.75, 1, 1, 1, 1, 1, 1};
  if (fUnits == 2)
    for (double& s : PDSETT) s /= kInchFactor;
}

void TProgramData::SetUnits(int v, ProjectTables& tables) {
  v = std::clamp(v, 1, 2);
  if (v != fUnits) {
    const bool to_english = v == 1;
    // Extended precision for the reciprocals, as the factors are given English per SI.
    auto factor = [to_english](double f) {
      return to_english ? f : static_cast<double>(1.0L / static_cast<long double>(f));
    };
    const double length = factor(kLengthFactor);
    const double inch = factor(kInchFactor);
    const double force = factor(kForceFactor);
    const double tons = factor(kTonsFactor);
    fUnits = v;
    tables.SetUnits(v);
    for (double* x : {&PINC, &DSTART, &DIALIM, &TOPLENG, &BS, &PD, &WTD}) *x *= length;
    EPILE *= force / (inch * inch);
    LPD *= tons;
    const int n = std::clamp(NPOINTPD, 0, static_cast<int>(PDSETT.size()));
    for (int i = 0; i < n; ++i) PDSETT[static_cast<std::size_t>(i)] *= inch;
  } else {
    tables.SetUnits(v);
  }
}

Project::Project() { Create(); }

void Project::Create() {
  data = TProgramData();
  tables.SetUnits(1);
  tables.ResetToMinimum();
  SetDataChanged(false);
}

void Project::SetDataChanged(bool v) {
  changed_ = v;
  if (!v) tables.ResetChanged();
}

}  // namespace korva::project
