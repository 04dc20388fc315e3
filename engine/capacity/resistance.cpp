#include "resistance.h"

#include <algorithm>
#include <cmath>

namespace korva {

IgmSandResult IGMSAND(double s, double N, double B) {
  IgmSandResult r;
  if (!(s > 0)) {
    r.no_stress = true;
    return r;
  }
  N = std::max(N, 0.0);
  const double phi = std::atan(std::pow(N / (12.2 + 20.3 * s / 2115.7), 0.34));
  const double ratio = 423.14 * N / s;
  const double K = (1 - std::sin(phi)) * std::pow(ratio, std::sin(phi));
  r.FBASE = K * std::tan(0.75 * phi) * s;
  r.QB = 1.6853898 * s * std::pow(ratio, 0.8) * B * B / 2000;
  return r;
}

GranBase GRANBASE(double N, double phi_deg, double BD, double AB, double z, int IMOD) {
  GranBase g;
  auto large_base = [&](double qb) { return (BD > 4.17 && IMOD == 1) ? qb * 50 / (12 * BD) : qb; };
  if (N != 0) {
    g.QBU = N >= 50 ? 30 : std::min(30.0, 0.6 * N);
    g.QB = large_base(g.QBU * AB);
  } else if (phi_deg <= 30) {
    g.QB = 1e-5;
  } else {
    if (phi_deg <= 36) g.QBU = 2.667 * (phi_deg - 30);
    else if (phi_deg <= 41) g.QBU = 16 + 2.8 * (phi_deg - 36);
    else g.QBU = 30;
    g.QB = large_base(g.QBU * AB);
  }
  // Shallow bases mobilise less.
  if (10 * BD > z && IMOD == 1) g.QB = g.QB * z / (10 * BD);
  return g;
}

double clay_base(double Nc, double cu, double BD, double AB, double z, bool shale) {
  double Fr = 1;
  if (BD > 6.25) {
    const double a = std::min(0.015, 0.0071 + 0.0021 * z / BD);
    const double b = std::clamp(0.45 * std::sqrt(std::max(2 * cu, 0.0)), 0.5, 1.5);
    Fr = std::min(1.0, 2.5 / (12 * BD * a + 2.5 * b));
  }
  double qb = Nc * cu;
  if (!shale) qb = std::min(qb, 40.0);
  return Fr * qb * AB;
}

double rock_base(double qu, double B, double s, double t) {
  if (!(B > 0)) return 0;
  double joints = 0;  // 300 t/s
  if (s > 0) {
    joints = 300 * t / s;
  } else if (t > 0) {
    return 0;
  }
  return (qu / 2000) * 2.3562 * B * B * (s / B + 3) / (10 * std::sqrt(1 + joints));
}

double limit_base(double QB, double QMAX, double AB) {
  if (QMAX < -1e-6) QB = std::fabs(QMAX) * AB;
  // A zero base area carries nothing; the unit comparison needs an area.
  if (AB > 0 && QMAX < QB / AB) QB = AB * std::fabs(QMAX);
  return QB;
}

double average_base(const std::vector<double>& QB, const std::vector<int>& ROCKSTEP, int Lb,
                    int NZONE, double DSTEM, bool* short_zone) {
  auto at = [&](int d) { return d >= 0 && d < static_cast<int>(QB.size()) ? QB[d] : 0.0; };
  auto rock = [&](int d) {
    return d >= 0 && d < static_cast<int>(ROCKSTEP.size()) ? ROCKSTEP[d] == 0 : false;
  };
  if (DSTEM < 1) return at(Lb);
  if (NZONE < 2) {
    if (short_zone) *short_zone = true;
    return at(Lb);
  }
  const bool soil_below_base = !rock(Lb + 1);
  double sum_w = 0, sum = 0, last_soil = at(Lb + 1);
  for (int j = 0; j < NZONE; ++j) {
    const double x = static_cast<double>(j) / NZONE;
    const double w = x <= 0.5 ? 1.2 * x : 0.6 * (2 - x) / 1.5;
    const int d = Lb + 1 + j;
    double value = at(d);
    if (!rock(d)) {
      last_soil = value;
    } else if (soil_below_base) {
      // A base in soil above rock is not credited with the rock below it.
      value = last_soil;
    }
    sum_w += w;
    sum += w * value;
  }
  return sum / sum_w;
}

}  // namespace korva
