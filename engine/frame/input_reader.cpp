#include "input_reader.h"

#include <algorithm>
#include <cmath>

#include "message_texts.h"
#include "streams.h"

namespace korva {

namespace {

using Item = ListReader::Item;

std::string at(int end, int layer, const char* name) {
  return std::string(name) + (end == 0 ? msg::kAtTopOfLayer : msg::kAtBottomOfLayer) +
         std::to_string(layer);
}

// Reads the records of one layer after its type and depth.
void read_layer_records(ListReader& in, LayerInput& L, int k) {
  const double s = L.SOIL;
  double phis = 0, phit = 0;
  auto factors = [&](std::vector<Item>& v, int e) {
    v.emplace_back(&phis, at(e, k, "PHIS"));
    v.emplace_back(&phit, at(e, k, "PHIT"));
  };
  // Each record ends with the layer's LRFD factors; the bottom record's values win.
  for (int e = 0; e < 2; ++e) {
    std::vector<Item> v;
    if (s <= 3) {
      v = {{&L.NC[e], at(e, k, "NC")},         {&L.GAMMA[e], at(e, k, "GAMMA")},
           {&L.PHI[e], at(e, k, "PHI")},       {&L.CU[e], at(e, k, s == 1 ? "DELTA" : "CU")},
           {&L.BLOWS[e], at(e, k, "BLOWS")},   {&L.TRANLM[e], at(e, k, "TRANLM")},
           {&L.QMAX[e], at(e, k, "QMAX")}};
    } else if (s == 4 || s == 7) {
      v = {{&L.QUR[e], at(e, k, "QUR")},     {&L.QUCON[e], at(e, k, "QUCON")},
           {&L.CS[e], at(e, k, "CS")},       {&L.DISCT[e], at(e, k, "DISCT")},
           {&L.BDS[e], at(e, k, "BDS")},     {&L.TRANLM[e], at(e, k, "TRANLM")},
           {&L.EL[e], at(e, k, "EL")},       {&L.RQD[e], at(e, k, "RQD")},
           {&L.QMAX[e], at(e, k, "QMAX")}};
    } else if (s == 5) {
      v = {{&L.GAMMA[e], at(e, k, "GAMMA")}, {&L.BLOWS[e], at(e, k, "BLOWS")},
           {&L.NU[e], at(e, k, "NU")},       {&L.EL[e], at(e, k, "EL")},
           {&L.BDS[e], at(e, k, "BDS")},     {&L.TRANLM[e], at(e, k, "TRANLM")},
           {&L.QMAX[e], at(e, k, "QMAX")}};
    } else if (s == 6) {
      v = {{&L.QUR[e], at(e, k, "QUR")},         {&L.ICOND[e], at(e, k, "ICOND")},
           {&L.SLUMP[e], at(e, k, "SLUMP")},     {&L.WRDELTA[e], at(e, k, "WRDELTA")},
           {&L.BDS[e], at(e, k, "BDS")},         {&L.TRANLM[e], at(e, k, "TRANLM")},
           {&L.EL[e], at(e, k, "EL")},           {&L.RQD[e], at(e, k, "RQD")},
           {&L.QMAX[e], at(e, k, "QMAX")}};
    } else if (s == 8 || s == 9) {
      v = {{&L.GAMMA[e], at(e, k, "GAMMA")},   {&L.BLOWS[e], at(e, k, "BLOWS")},
           {&L.COEF[e], at(e, k, "BETA")},     {&L.TRANLM[e], at(e, k, "TRANLM")},
           {&L.QMAX[e], at(e, k, "QMAX")}};
    } else {
      return;  // an unknown code above 3 has no records: the next values are the next layer
    }
    factors(v, e);
    in.read(v);
    L.PHIS = phis;
    L.PHIT = phit;
  }
  if (s <= 3) {
    if (s == 1) in.read({{&L.ISIDE, msg::kIsideOfLayer + std::to_string(k)}});
    in.read({{&L.COEF[0], at(0, k, "COEF")}, {&L.COEF[1], at(1, k, "COEF")}});
    if (s == 1) L.DELTA = L.CU;
  }
}

void refuse(const std::string& what) { throw InputError(what); }

}  // namespace

ProjectInput read_project(ListReader& in, Streams& out) {
  ProjectInput p;
  p.TITLE = in.read_text(72, msg::kProjectTitle);
  out.write(kReport, "(5X,A72)", {p.TITLE});
  out.put(kTzFile, "");
  out.write(kTzFile, "(5X,A72)", {p.TITLE});
  out.put(kTzFile, "\n");
  out.put(kTzFile,
          "     NOTE: TZ AND QW CURVES DATA ARE AVAILABLE ONLY FOR SAND AND CLAY LAYERS.\n");
  out.put(kTzFile, "");
  out.write(kConsole, "(5X,A72)", {p.TITLE});

  in.read({{&p.IUNIT, msg::kUnitSystem}});
  in.read({{&p.METHOD, "METHOD"},
           {&p.KCYCL, "KCYCL"},
           {&p.RCYCL, "RCYCL"},
           {&p.PINC, "PINC"},
           {&p.IMOD, "IMOD"},
           {&p.NLRFD, "NLRFD"},
           {&p.IPENT, "IPENT"},
           {&p.IChart, "ICHART"},
           {&p.UseElevation, "USEELEVATION"},
           {&p.ValElevation, "VALELEVATION"},
           {&p.PrintTZCurves, "PRINTTZCURVES"}});
  in.read({{&p.DSTART, "DSTART"},
           {&p.DIALIM, "DIALIM"},
           {&p.RATIO, "RATIO"},
           {&p.BELANG, "BELANG"},
           {&p.TOPLEN, "TOPLEN"},
           {&p.BS, "BS"},
           {&p.Ec, "EC"}});
  in.read({{&p.NLAYER, msg::kNumberOfLayers},
           {&p.WTD, "WTD"},
           {&p.P_DGH, msg::kDesignLoadOrDepth},
           {&p.FST, "FST"},
           {&p.FSB, "FSB"}});
  write_run_header(p, out);
  if (p.NLAYER < 1 || p.NLAYER > kMaxLayers) refuse(limits::LayerCountProblem(p.NLAYER));

  const double min_length = 6 * p.DSTART + p.TOPLEN + p.BS;
  if (p.IPENT > 0) {
    in.read({{&p.PDMIN, msg::kVariationPdmin},
             {&p.PDINCR, msg::kVariationPdincr}});
    limits::ApplyVariationDefaults(false, p.si(), p.P_DGH, min_length, p.PDMIN, p.PDINCR, nullptr);
  }
  if (p.IChart > 0) {
    in.read({{&p.PDMIN, msg::kChartsPdmin},
             {&p.PDINCR, msg::kChartsPdincr},
             {&p.DIAMINCR, msg::kChartsDiamincr},
             {&p.NPOINTPD, msg::kNumberOfSettlements}});
    if (p.NPOINTPD > kMaxSettlements) refuse(limits::SettlementCountProblem(p.NPOINTPD));
    p.PDSETT.assign(static_cast<std::size_t>(std::max(p.NPOINTPD, 0)), 0.0);
    std::vector<Item> v;
    for (std::size_t i = 0; i < p.PDSETT.size(); ++i)
      v.emplace_back(&p.PDSETT[i], msg::kSettlement + std::to_string(i + 1));
    in.read(v);
    limits::ApplyVariationDefaults(true, p.si(), p.P_DGH, min_length, p.PDMIN, p.PDINCR, &p.DIAMINCR);
  }

  p.layers.resize(static_cast<std::size_t>(p.NLAYER));
  for (int k = 1; k <= p.NLAYER; ++k) {
    LayerInput& L = p.layers[static_cast<std::size_t>(k - 1)];
    in.read({{&L.SOIL, msg::kSoilTypeOfLayer + std::to_string(k)},
             {&L.DEPTH, msg::kBottomDepthOfLayer + std::to_string(k)}});
    read_layer_records(in, L, k);
    // A limit of (almost) zero means "no limit".
    for (TopBottom* v : {&L.TRANLM, &L.QMAX})
      for (double& x : *v)
        if (std::fabs(x) < 1e-10) x = 1e10;
  }
  warn_profile_depth(p, out);

  if (p.PrintTZCurves == 1) {
    in.read({{&p.NTZ, msg::kNumberOfTzDepths}});
    if (p.NTZ > kMaxTzDepths) refuse(limits::TzDepthCountProblem(p.NTZ));
    p.TZDEP.assign(static_cast<std::size_t>(std::max(p.NTZ, 0)), 0.0);
    for (std::size_t i = 0; i < p.TZDEP.size(); ++i)
      in.read({{&p.TZDEP[i], msg::kTzDepth + std::to_string(i + 1)}});
  }
  return p;
}

void write_run_header(const ProjectInput& p, Streams& out) {
  const bool si = p.si();
  if (p.METHOD == 1) {
    out.echo(si ? "(/,/,5X,'TOTAL LOAD =',F10.1,' KN',/,5X,'------------',/,/)"
                : "(/,/,5X,'TOTAL LOAD =',F10.1,' TONS',/,5X,'------------',/,/)",
             {p.P_DGH});
  } else if (p.METHOD == 2) {
    out.echo(si ? "(/,/,5X,'PROPOSED DEPTH =',F10.1,' M',/,5X,'----------------',/,/)"
                : "(/,/,5X,'PROPOSED DEPTH =',F10.1,' FT',/,5X,'----------------',/,/)",
             {p.P_DGH});
  }
  if (p.KCYCL == 2) {
    out.write(kReport, "(5X,'REDUCTION FACTOR APPLIED FOR UPLIFT FRICTION =',F6.3,/,5X,46('-'),/,/)",
              {p.RCYCL});
  }
  out.echo("(5X,'NUMBER OF LAYERS =',I5,/,5X,18('-'),/,/)", {p.NLAYER});
  out.echo(si ? "(5X,'WATER TABLE DEPTH =',F10.1,' M',/,5X,19('-'),/,/)"
              : "(5X,'WATER TABLE DEPTH =',F10.1,' FT.',/,5X,19('-'),/,/)",
           {p.WTD});
}

ProjectInput to_internal_units(const ProjectInput& raw) {
  ProjectInput p = raw;
  if (p.RATIO == 1) p.RATIO = 0;  // a ratio of 1 is a straight shaft
  p.DIAEND = std::max(p.DSTART, p.DIALIM);
  p.TARGET_LENGTH = p.METHOD == 2 ? p.P_DGH : 0.0;

  // Moduli to tons/ft2: English lb/in2 * 144/2000, SI kN/m2 * 20.885/2000.
  const double modulus = p.si() ? 20.885 / 2000.0 : 144.0 / 2000.0;
  p.Ec *= modulus;
  for (LayerInput& L : p.layers)
    for (double& x : L.EL) x *= modulus;

  if (!p.si()) return p;

  constexpr double kFt = limits::kFtPerMetre;
  constexpr double kTons = 0.1124;    // kN to tons
  constexpr double kPcf = 6.3659;     // kN/m3 to lb/ft3
  constexpr double kPsf = 20.885;     // kN/m2 to lb/ft2
  // The one design value is converted as a load even when it is a depth; the target
  // length carries the depth in ft.
  p.TARGET_LENGTH *= kFt;
  p.P_DGH *= kTons;
  for (double* x : {&p.WTD, &p.PDMIN, &p.PDINCR, &p.DIAMINCR, &p.DSTART, &p.DIALIM, &p.DIAEND,
                    &p.TOPLEN, &p.BS, &p.PINC})
    *x *= kFt;
  for (double& z : p.TZDEP) z *= kFt;
  for (LayerInput& L : p.layers) {
    L.DEPTH *= kFt;
    for (int e = 0; e < 2; ++e) {
      L.GAMMA[e] *= kPcf;
      L.CU[e] *= kPsf;
      L.TRANLM[e] *= kPsf;
      L.QMAX[e] *= kPsf;
      L.QUR[e] *= kPsf;
      L.QUCON[e] *= kPsf;
      L.CS[e] *= kFt;
      L.DISCT[e] *= kFt;
      L.BDS[e] *= kFt;
    }
  }
  return p;
}

limits::Extent extent_of(const ProjectInput& p) {
  limits::Extent e;
  e.METHOD = p.METHOD;
  e.layers = p.NLAYER;
  for (const LayerInput& L : p.layers) e.profile_bottom_ft = std::max(e.profile_bottom_ft, L.DEPTH);
  e.settlements = p.IChart > 0 ? p.NPOINTPD : 0;
  e.tz_depths = p.PrintTZCurves == 1 ? p.NTZ : 0;
  e.vary_length = p.IPENT > 0 || p.IChart > 0;
  e.charts = p.IChart > 0;
  e.first_length_ft = p.TARGET_LENGTH;
  e.min_length_ft = p.PDMIN;
  e.length_step_ft = p.PDINCR;
  e.d_start_ft = p.DSTART;
  e.d_end_ft = p.DIAEND;
  e.chart_d_step_ft = p.DIAMINCR;
  e.print_step_ft = p.PINC;
  e.top_length_ft = p.TOPLEN;
  e.bottom_length_ft = p.BS;
  e.bell_ratio = p.RATIO;
  e.bell_angle_deg = p.BELANG;
  return e;
}

void check_limits(const ProjectInput& p) {
  const std::string problem = limits::FirstProblem(extent_of(p));
  if (!problem.empty()) refuse(problem);
}

void warn_profile_depth(const ProjectInput& p, Streams& out) {
  // Both values are in the user's length unit here.
  if (p.METHOD != 2 || p.layers.empty()) return;
  if (!(p.P_DGH > p.layers.back().DEPTH)) return;
  const std::string block = std::string("\n\n     ") + msg::kWarningBanner + "\n     " +
                            msg::kDesignDepthBelowProfile + "\n";
  out.put(kMessages, block);
  out.put(kReport, block);
}

}  // namespace korva
