#include "report.h"

#include "resistance.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace korva::report {

namespace {

const char* const kMarked = "  (*)";
const char* const kUnmarked = "     ";

std::string mark(bool estimated) { return estimated ? kMarked : kUnmarked; }

// Replaces the English unit texts of a label by the SI ones.
std::string si_label(std::string label) {
  auto replace = [&](const std::string& from, const std::string& to) {
    const std::size_t p = label.find(from);
    if (p != std::string::npos) label.replace(p, from.size(), to);
  };
  replace("LB/SQ FT", "KN/SQ M");
  replace("LB/CU FT", "KN/CU M");
  replace("LB/SQ IN.", "KN/SQ M");
  replace("LB/SQ IN", "KN/SQ M");
  replace("DEPTH, FT", "DEPTH, M");
  replace("SOCKET, FT", "SOCKET, M");
  replace("SLUMP OF CONCRETE, IN", "SLUMP OF CONCRETE, M");
  return label;
}

// One line of a layer block: a label, or a label with a value and an optional mark.
struct BlockLine {
  std::string label;
  bool has_value = false;
  TopBottom value{};
  const std::array<bool, 2>* marks = nullptr;  // printed mark (A5) when set
};

void write_block_lines(Streams& out, const std::vector<BlockLine>& lines, int end, int width,
                       bool si) {
  for (const BlockLine& l : lines) {
    std::string label = si ? si_label(l.label) : l.label;
    if (!l.has_value) {
      out.put(kReport, "       " + label);
      continue;
    }
    label.resize(static_cast<std::size_t>(width), ' ');
    std::string text = "       " + label + "=" + fmt::E(10, 3, l.value[end]);
    if (l.marks) text += mark((*l.marks)[end]);
    out.put(kReport, text);
  }
}

std::string length_unit(bool si) { return si ? "M" : "FT."; }

}  // namespace

void layer_block(Streams& out, const ProjectInput& raw, const ProfileLayer& est, int k) {
  const LayerInput& r = raw.layers[static_cast<std::size_t>(k - 1)];
  const LayerInput& e = est.v;
  const EstimationMarks& m = est.marks;
  const bool si = raw.si();
  const TopBottom depth{k == 1 ? 0.0 : raw.layers[static_cast<std::size_t>(k - 2)].DEPTH, r.DEPTH};
  auto value = [](const char* label, const TopBottom& v, const std::array<bool, 2>* marks = nullptr) {
    return BlockLine{label, true, v, marks};
  };
  auto text = [](const char* label) { return BlockLine{label, false, {}, nullptr}; };
  const BlockLine blows = value("BLOWS PER FOOT FROM STANDARD PENETRATION TEST", r.BLOWS);
  const BlockLine weight = value("SOIL UNIT WEIGHT, LB/CU FT", r.GAMMA);
  const BlockLine transfer = value("MAXIMUM LOAD TRANSFER FOR SOIL, LB/SQ FT", r.TRANLM);
  const BlockLine depth_line = value("DEPTH, FT", depth);

  std::vector<BlockLine> lines;
  int width = 50;
  int empty_after = 2;
  const char* header = nullptr;
  bool rock_header = false;
  switch (est.KSOIL) {
    case kSand:
      header = "----SAND";
      if (r.ISIDE == 1) {
        lines.push_back(text("SIDE FRICTION PROCEDURE: Ko METHOD"));
        lines.push_back(value("LATERAL EARTH-PRESSURE COEFFICIENT - Ko", e.COEF));
      } else if (r.ISIDE == 2) {
        lines.push_back(text("SIDE FRICTION PROCEDURE, BETA METHOD"));
        lines.push_back(value("SKIN FRICTION COEFFICIENT- BETA", e.COEF, &m.COEF));
      } else {
        lines.push_back(text("SIDE FRICTION PROCEDURE, KULHAWY AND CHEN METHOD"));
        lines.push_back(value("PRECONSOLIDATION STRESS EXPONENT - M", e.COEF, &m.COEF));
      }
      lines.push_back(value("INTERNAL FRICTION ANGLE, DEG.", e.PHI, &m.PHI));
      lines.insert(lines.end(), {blows, weight, transfer, depth_line});
      empty_after = 1;
      break;
    case kClay:
    case kClayShale:
      header = est.KSOIL == kClay ? "----CLAY" : "----CLAY SHALE";
      lines = {value("STRENGTH REDUCTION FACTOR-ALPHA", e.COEF, &m.COEF),
               value("END BEARING COEFFICIENT-Nc", e.NC, &m.NC),
               value("UNDRAINED SHEAR STRENGTH, LB/SQ FT", r.CU),
               blows, weight, transfer, depth_line};
      break;
    case kStrongRockSideOrBase:
    case kStrongRock:
      header = "----STRONG ROCK";
      rock_header = true;
      width = 51;
      lines = {value(si ? "DIAMETER OF SOCKET,M" : "DIAMETER OF SOCKET, FT", r.BDS),
               value(si ? "SPACING OF DISCONTINUITIES,M" : "SPACING OF DISCONTINUITIES,FT", r.CS),
               value(si ? "THICKNESS OF INDIVIDUAL DISCONTINUITIES,M"
                        : "THICKNESS OF INDIVIDUAL DISCONTINUITIES,FT",
                     r.DISCT),
               value("UNIAXIAL COMPRESSION STRENGTH OF ROCK,LB/SQ FT", r.QUR),
               value("UNIAXIAL COMPRESSION STRENGTH OF CONCRETE,LB/SQ FT", r.QUCON),
               value("ELASTIC MODULUS FOR THE INTACT ROCK, LB/SQ IN.", r.EL),
               value("ROCK QUALITY DESIGNATION (RQD) %", r.RQD),
               depth_line};
      break;
    case kDecomposedRock:
      header = "----DECOMPOSED ROCK";
      rock_header = true;
      lines = {value("ELASTIC MODULUS OF GRAVEL, LB/SQ IN", r.EL),
               value("POISSION RATIO OF GRAVEL", r.NU),
               blows, weight, transfer, depth_line};
      break;
    case kWeakRock:
      header = "----WEAK ROCK";
      rock_header = true;
      width = 51;
      lines = {value("DIAMETER OF SOCKET, FT", r.BDS),
               value("SLUMP OF CONCRETE, IN", r.SLUMP),
               value("ANGLE OF INTERFACE FRICTION, DEG.", r.WRDELTA),
               value("UNIAXIAL COMPRESSION STRENGTH OF ROCK,LB/SQ FT", r.QUR),
               value("ELASTIC MODULUS FOR THE INTACT ROCK, LB/SQ IN.", r.EL),
               value("ROCK QUALITY DESIGNATION (RQD) %", r.RQD),
               depth_line};
      break;
    case kGravellySand:
    case kGravel:
      header = est.KSOIL == kGravellySand ? "----GRAVELLEY SAND" : "----GRAVEL";
      rock_header = true;
      lines = {text("SIDE FRICTION PROCEDURE, BETA METHOD"),
               value("SKIN FRICTION COEFFICIENT- BETA", e.COEF, &m.COEF),
               blows, weight, transfer, depth_line};
      break;
    default:
      return;  // a layer of unknown type has no block
  }

  out.write(kReport,
            std::string(rock_header ? "(4X,'LAYER NO',I3,'" : "(5X,'LAYER NO',I2,'") + header +
                "',/,/,7X,'AT THE TOP',/)",
            {k});
  write_block_lines(out, lines, 0, width, si);
  for (int i = 0; i < empty_after; ++i) out.put(kReport, "");
  out.write(kReport, "(7X,'AT THE BOTTOM',/)");
  write_block_lines(out, lines, 1, width, si);
  for (int i = 0; i < empty_after; ++i) out.put(kReport, "");

  if (raw.NLRFD == 1) {
    const TopBottom phis{r.PHIS, r.PHIS}, phit{r.PHIT, r.PHIT};
    write_block_lines(out,
                      {value("LRFD RESISTANCE FACTOR (SIDE FRICTION)", phis),
                       value("LRFD RESISTANCE FACTOR (TIP RESISTANCE)", phit)},
                      0, width, si);
    out.put(kReport, "\n");
  }

  if (est.KSOIL == kGravellySand || est.KSOIL == kGravel) {
    const double nt = r.BLOWS[0], nb = r.BLOWS[1];
    if (nt > 50 || nb > 50) {
      out.write(kReport,
                "(7X,'                     WARNING MESSAGE                ',/,7X,59('-'),/,"
                "7X,'             BLOWS PER FOOT IS = ',F8.2,' AT TOP',/,"
                "7X,'             BLOWS PER FOOT IS = ',F8.2,' AT BOTTOM',/,"
                "7X,'UNIT TIP RESISTANCE IS LIMITED TO 30 TSF',' IF SPT-N IS OVER 50',/,"
                "7X,'LOADING TEST IS RECOMMENDED FOR USING HIGHER VALUE.',/,/)",
                {nt, nb});
    }
    if (nt <= 25 || nb <= 25) {
      out.write(kReport,
                "(/,7X,'*****************WARNING*********************',/,"
                "7X,'             BLOWS PER FOOT IS = ',F8.2,' AT TOP',/,"
                "7X,'             BLOWS PER FOOT IS = ',F8.2,' AT BOTTOM',/,"
                "7X,'Blow counts should be greater than 25 for this criterion.',/,"
                "7X,'Select other soil criteria and do not use this output data.')",
                {nt, nb});
    }
  }
}

void input_echo(Streams& out, const ProjectInput& raw, const CapacityState& st) {
  const bool si = raw.si();
  if (raw.NLRFD != 1) {
    out.echo("(/,5X,'FACTOR OF SAFETY APPLIED TO THE ULTIMATE SIDE ','FRICTION CAPACITY =',F5.2,/,"
             "5X,55('-'),/,5X,'FACTOR OF SAFETY APPLIED TO THE ULTIMATE BASE CAPACITY =',F5.2,/,"
             "5X,54('-'))",
             {raw.FST, raw.FSB});
  }
  out.echo("(/,/,5X,'SOIL INFORMATION',/,5X,15('-'),/)");
  for (std::size_t i = 0; i < st.profile.layers.size(); ++i)
    layer_block(out, raw, st.profile.layers[i], static_cast<int>(i + 1));
  if (st.profile.ANYEST) {
    out.put(kReport, "");
    out.put(kReport, "     (*) ESTIMATED BY THE PROGRAM BASED ON OTHER PARAMETERS");
    out.put(kReport, "");
  }

  const std::string u = length_unit(si);
  const std::string mod = si ? "KN/SQ M" : "LB/SQ IN";
  out.echo("(/,/,5X,'INPUT DRILLED SHAFT INFORMATION',/,5X,30('-'))");
  out.echo("(/,1X,5X,'MINIMUM SHAFT DIAMETER    =',F9.3,2X,A,/,"
           "1X,5X,'MAXIMUM SHAFT DIAMETER    =',F9.3,2X,A,/,"
           "1X,5X,'RATIO BASE/SHAFT DIAMETER =',F9.3,2X,A,/,"
           "1X,5X,'ANGLE OF BELL             =',F9.3,2X,'DEG.',/,"
           "1X,5X,'IGNORED TOP PORTION       =',F9.3,2X,A,/,"
           "1X,5X,'IGNORED BOTTOM PORTION    =',F9.3,2X,A,/,"
           "1X,5X,'ELASTIC MODULUS, Ec       =',E10.3,1X,A,/,/)",
           {raw.DSTART, u, std::max(raw.DSTART, raw.DIALIM), u, raw.RATIO == 1 ? 0.0 : raw.RATIO, u,
            raw.BELANG, raw.TOPLEN, u, raw.BS, u, raw.Ec, mod});

  auto length_block = [&](bool with_diameter) {
    const std::string spec =
        std::string("(/,1X,5X,'MAXIMUM SHAFT LENGTH      =',F9.3,2X,A,/,"
                    "1X,5X,'MINIMUM SHAFT LENGTH      =',F9.3,2X,A,/,"
                    "1X,5X,'SHAFT LENGTH INCREMENT    =',F9.3,2X,A,/,") +
        (with_diameter ? "1X,5X,'DIAMETER INCREMENT        =',F9.3,2X,A,/,/)" : "/)");
    if (with_diameter)
      out.echo(spec, {raw.P_DGH, u, raw.PDMIN, u, raw.PDINCR, u, raw.DIAMINCR, u});
    else
      out.echo(spec, {raw.P_DGH, u, raw.PDMIN, u, raw.PDINCR, u});
  };
  if (raw.IPENT == 1) {
    out.echo("(/,/,5X,'VARY SHAFT LENGTH FOR INITIAL DIAMETER',/,5X,38('-'))");
    length_block(false);
  }
  if (raw.IChart == 1) {
    out.echo("(/,/,5X,'COMPUTATION OF LRFD CHARTS',/,5X,26('-'))");
    length_block(true);
    out.echo(si ? "(/,6X,'   POINT    SETTLEMENT VALUES, M')"
                : "(/,6X,'   POINT    SETTLEMENT VALUES, IN')");
    for (std::size_t i = 0; i < raw.PDSETT.size(); ++i)
      out.echo("(7X,I5,5X,F9.4)", {static_cast<int>(i + 1), raw.PDSETT[i]});
  }
  out.echo("(/,/,/,/,5X,'COMPUTATION RESULTS',/,5X,19('-'))");
}

void pass_header(Streams& out, const ProjectInput& raw, const PassResult& pass) {
  const Units U{raw.si()};
  const bool si = raw.si();
  const PassGeometry& g = pass.g;
  out.echo("(/,/,/,5X,'- CASE ANALYZED      : ',I5,/,5X,'  VARIATION LENGTH   : ',I5,/,"
           "5X,'  VARIATION DIAMETER : ',I5)",
           {pass.ICASE, pass.plan.IVLEN, pass.plan.IVDIA});
  out.echo("(/,/,/,5X,'DRILLED SHAFT INFORMATION',/,/,5X,25('-'))");
  const std::string u = length_unit(si);
  out.echo("(/,6X,'DIAMETER OF STEM          =',F9.3,2X,A,/,"
           "1X,5X,'DIAMETER OF BASE          =',F9.3,2X,A,/,"
           "1X,5X,'END OF STEM TO BASE       =',F9.3,2X,A,/,"
           "1X,5X,'ANGLE OF BELL             =',F9.3,2X,'DEG.',/,"
           "1X,5X,'IGNORED TOP PORTION       =',F9.3,2X,A,/,"
           "1X,5X,'IGNORED BOTTOM PORTION    =',F9.3,2X,A,/,"
           "1X,5X,'AREA OF ONE PERCENT STEEL =',F9.3,2X,A,/,"
           "1X,5X,'ELASTIC MODULUS, Ec       =',E10.3,1X,A,/,"
           "1X,5X,'VOLUME OF UNDERREAM       =',F9.3,2X,A)",
           {U.length(g.DSTEM), u, U.length(g.BD), u, U.length(g.HB), u, raw.BELANG, raw.TOPLEN, u,
            raw.BS, u, U.steel_area(g.AS1), si ? "SQ. M" : "SQ.IN.", raw.Ec,
            si ? "KN/SQ M" : "LB/SQ IN", U.volume(g.VU), si ? "CU. M" : "CU.YDS."});
  if (raw.METHOD == 2) {
    out.write(kReport, "(6X,'SHAFT LENGTH              =',F9.3,2X,A)",
              {U.length(pass.target_length), u});
  }
}

void table_heading(Streams& out, const ProjectInput& raw) {
  const bool lrfd = raw.NLRFD == 1;
  const bool uplift = raw.KCYCL == 2;
  const bool si = raw.si();
  if (!lrfd) {
    out.echo("(/,/,/,5X,'PREDICTED RESULTS',/,5X,17('-'),/,/,"
             "5X,'QS     = ULTIMATE SIDE RESISTANCE;',/,"
             "5X,'QB     = ULTIMATE BASE RESISTANCE;',/,"
             "5X,'WT     = WEIGHT OF DRILLED SHAFT (FOR UPLIFT CAPACITY ONLY);',/,"
             "5X,'QU     = TOTAL ULTIMATE RESISTANCE;',/,"
             "5X,'QBD    = TOTAL ALLOWABLE LOAD USING A FACTOR OF SAFETY',/,"
             "5X,'         APPLIED TO THE ULTIMATE BASE RESISTANCE;',/,"
             "5X,'QDN    = TOTAL ALLOWABLE LOAD USING FACTORS OF SAFETY',/,"
             "5X,'         APPLIED TO THE ULTIMATE SIDE RESISTANCE AND',/,"
             "5X,'         THE ULTIMATE BASE RESISTANCE.')");
  } else {
    out.echo("(/,/,5X,'PREDICTED RESULTS',/,5X,17('-'),/,/,"
             "5X,'QS      = ULTIMATE SIDE RESISTANCE;',/,"
             "5X,'QB      = ULTIMATE BASE RESISTANCE;',/,"
             "5X,'WT      = WEIGHT OF DRILLED SHAFT (UPLIFT CAPACITY ONLY);',/,"
             "5X,'QU      = TOTAL ULTIMATE RESISTANCE;',/,"
             "5X,'LRFD QS = TOTAL SIDE FRICTION USING LRFD RESISTANCE FACTOR',/,"
             "5X,'          TO THE ULTIMATE SIDE RESISTANCE;',/,"
             "5X,'LRFD QB = TOTAL BASE BEARING USING LRFD RESISTANCE FACTOR',/,"
             "5X,'          TO THE ULTIMATE BASE RESISTANCE',/,"
             "5X,'LRFD QU = TOTAL CAPACITY WITH LRFD RESISTANCE FACTOR.')");
  }
  const char* qb = uplift ? "WT" : "QB";
  if (!si) {
    const char* units =
        "5X,' (FT) ',2X,'(CU.YDS)',1X,'(TONS)',3X,'(TONS)',2X,'(TONS)',3X,'(TONS)',3X,'(TONS)',";
    if (!lrfd) {
      out.echo(std::string("(/,5X,'LENGTH',2X,'VOLUME',5X,'QS',6X,'") + qb +
               "',6X,'QU',7X,'QBD',6X,'QDN',6X,'QU/VOLUME',/," + units + "2X,'(TONS/CU.YDS)')");
    } else {
      out.echo(std::string("(/,5X,'LENGTH',2X,'VOLUME',5X,'QS',6X,'") + qb +
               "',6X,'QU',5X,'LRFD QS'," + (uplift ? "6X,'WT'" : "2X,'LRFD QB'") +
               ",3X,'LRFD QU',/," + units + "4X,'(TONS)')");
    }
  } else {
    const char* units =
        "6X,'( M ) ',1X,'(CU.M ) ',1X,'( KN )',3X,'( KN )',2X,'( KN )',3X,'( KN )',3X,'( KN )',";
    if (!lrfd) {
      out.echo(std::string("(/,5X,'LENGTH',2X,'VOLUME',4X,'QS',5X,'") + qb +
               "',8X,'QU',7X,'QBD',5X,'QDN',5X,'QU/VOLUME',/," + units + "2X,'( KN /CU.M) ')");
    } else {
      out.echo(std::string("(/,5X,'LENGTH',2X,'VOLUME',4X,'QS',5X,'") + qb +
               "',8X,'QU',6X,'LRFD QS',2X,'LRFD QB',3X,'LRFD QU',/," + units + "2X,'( KN ) ')");
    }
  }
}

std::string row_line(const ProjectInput& raw, const TableRow& r) {
  const Units U{raw.si()};
  const bool lrfd = raw.NLRFD == 1;
  const double v6 = lrfd ? r.LRFD_QS : r.QBD;
  const double v7 = lrfd ? r.LRFD_QB : r.QDN;
  const double v8 = lrfd ? U.load(r.LRFD_QU) : U.load_per_volume(r.QU_VOLUME);
  return fmt::format(raw.si() ? "(1X,F8.1,1X,F8.1,F9.1,F9.1,F9.1,2F9.1,1X,F9.2)"
                              : "(1X,F8.1,1X,F8.2,F9.2,F9.2,F9.2,2F9.2,1X,F9.2)",
                     {U.length(r.LENGTH), U.volume(r.VOLUME), U.load(r.QS), U.load(r.QB),
                      U.load(r.QU), U.load(v6), U.load(v7), v8});
}

std::vector<TableRow> print_rows(const CapacityState& st, const PassResult& pass) {
  std::vector<TableRow> printed;
  const ProjectInput& in = st.in;
  const std::vector<TableRow>& rows = pass.table.rows;
  if (rows.empty() || !(in.PINC > 0)) return printed;
  const double design = rows.back().LENGTH;
  // The input check keeps the count within kMaxPrintRows; the bound also keeps the
  // conversion defined.
  const int kmax = static_cast<int>(std::min(design / in.PINC + 1, static_cast<double>(kMaxPrintRows)));
  for (int k = 1; k <= kmax; ++k) {
    const double x = k * in.PINC;
    if (x > design || x < in.BS + in.TOPLEN || !(x > in.BS + pass.g.HB + in.TOPLEN)) continue;
    if (rows.size() == 1) {
      TableRow r = rows.front();
      r.LENGTH = x;
      printed.push_back(r);
      continue;
    }
    std::size_t i = 1;
    while (i < rows.size() - 1 && rows[i].LENGTH < x) ++i;
    const TableRow& a = rows[i - 1];
    const TableRow& b = rows[i];
    const double f = (x - a.LENGTH) / (b.LENGTH - a.LENGTH);
    auto lerp = [f](double u, double v) { return u + (v - u) * f; };
    TableRow r;
    r.LENGTH = x;
    r.VOLUME = lerp(a.VOLUME, b.VOLUME);
    r.QS = lerp(a.QS, b.QS);
    r.QB = lerp(a.QB, b.QB);
    r.QU = lerp(a.QU, b.QU);
    r.QBD = lerp(a.QBD, b.QBD);
    r.QDN = lerp(a.QDN, b.QDN);
    r.QU_VOLUME = lerp(a.QU_VOLUME, b.QU_VOLUME);
    r.LRFD_QS = lerp(a.LRFD_QS, b.LRFD_QS);
    r.LRFD_QB = lerp(a.LRFD_QB, b.LRFD_QB);
    r.LRFD_QU = lerp(a.LRFD_QU, b.LRFD_QU);
    if (i == 1 && r.QS < 1e-5) {
      // Inside the top zone without side resistance the straight line through the first
      // two rows would give negative side resistance: the row takes no side resistance,
      // the volume of a shaft of length x, and totals recomputed from these.
      const PassGeometry& g = pass.g;
      r.QS = 0;
      r.LRFD_QS = 0;
      r.VOLUME = (x - g.HB) * kPi / 4 * g.DSTEM * g.DSTEM / 27 + g.VU;
      r.QU = r.QB;
      r.QBD = r.QB / st.FSB;
      r.QDN = r.QB / st.FSB;
      r.QU_VOLUME = r.VOLUME != 0 ? r.QU / r.VOLUME : 0;
      r.LRFD_QU = r.LRFD_QB;
    }
    printed.push_back(r);
  }
  return printed;
}

void additional_tz_heading(Streams& out) {
  out.write(kReport, "(/,/,/,5X,'ADDITIONAL TZ CURVES',/,5X,20('-'))");
  out.write(kReport, "(/,/,5X,'NOTE: TZ AND QW CURVES DATA ARE AVAILABLE ONLY ','FOR SAND AND CLAY LAYERS.',/,/)");
}

void settlement_heading(Streams& out) {
  out.write(kReport, "(/,/,/,5X,'AXIAL LOAD VS SETTLEMENT CURVES',/,5X,31('-'))");
}

void most_efficient(Streams& out, const ProjectInput& raw, const MostEfficient& b) {
  const Units U{raw.si()};
  if (!raw.si()) {
    out.echo("(/,/,/,' THE MOST EFFICIENT SHAFT FOR THIS SOIL PROFILE',' APPEARS TO BE THE FOLLOWING ONE:',/,/,"
             "1X,' DIAMETER OF STEM       =',F5.2,1X,'FT.',/,/,"
             "1X,' DIAMETER OF BASE       =',F5.2,1X,'FT.',/,/,"
             "1X,' ESTIMATED SHAFT LENGTH =',F5.0,1X,'FT.',/,/,"
             "1X,' VOLUME OF CONCRETE     =',F7.2,1X,'CU.YDS.',/,/,"
             "1X,' ULTIMATE LOAD CAPACITY =',F10.2,1X,'TONS',/,/,"
             "1X,' QU/VOLUME OF CONCRETE  =',F7.2,1X,'TONS/CU.YD.')",
             {b.DSTEM, b.BD, b.LENGTH, b.VOLUME, b.QU, b.QU_VOLUME});
  } else {
    out.echo("(/,/,/,' THE MOST EFFICIENT SHAFT FOR THIS SOIL PROFILE ',' APPEARS TO BE THE FOLLOWING ONE:',/,/,"
             "' DIAMETER OF STEM       = ',F5.1,' M',/,/,"
             "' DIAMETER OF BASE       = ',F5.1,' M',/,/,"
             "' ESTIMATED SHAFT LENGTH = ',F5.0,' M',/,/,"
             "' VOLUME OF CONCRETE     = ',F7.2,' CU.M',/,/,"
             "' ULTIMATE LOAD CAPACITY = ',F10.2,' KN  ',/,/,"
             "' QU/VOLUME OF CONCRETE  = ',F7.2,' KN /CU.M')",
             {U.length(b.DSTEM), U.length(b.BD), U.length(b.LENGTH), U.volume(b.VOLUME), U.load(b.QU),
              U.load_per_volume(b.QU_VOLUME)});
  }
}

void length_note(Streams& out) {
  out.write(kConsole,
            "(/,/,' NOTE: Please add at least 2-diameter depth to the ',/,"
            "'       soil profile for program to compute the tip',/,"
            "'       resistance at the proposed shaft length.')");
}

void rock_note(Streams& out) {
  out.write(kReport,
            "(/,/,'ROCK WITH COMPRESSIVE STRENGTH LESS THAN 1000 PSI (6894 kPA)',/,60('-'),/,"
            "'IF THE SETTLEMENT IS LESS THAN 0.4 IN. (10 mm), THE LOAD IS',/,"
            "'CARRIED ENTIRELY IN SIDE RESISTANCE.  IF THE SETTLEMENT IS',/,"
            "'GREATER THAN 0.4 IN. (10 MM), THE LOAD IS CARRIED ENTIRELY',/,"
            "'IN END BEARING.')");
}

void design_chart_section(Streams& out, const ProjectInput& raw, const DesignCharts& c) {
  const bool si = raw.si();
  // English: ft and tons; SI: m and kN, from the inches and pounds of the computation.
  const double length_factor = si ? 0.0254 : 1.0 / 12;
  const double load_factor = si ? 4.448 / 1000 : 1.0 / 2000;
  out.write(kReport, "(/,/,/,5X,'DESIGN CHART CURVES',/,5X,19('-'))");
  const std::size_t nd = c.diameters_in.size();
  for (std::size_t m = 0; m < c.settlements.size(); ++m) {
    out.write(kReport, si ? "(/,/,5X,'- SETTLEMENT, ',F9.4,' M')" : "(/,/,5X,'- SETTLEMENT, ',F9.3,' IN')",
              {c.settlements[m]});
    for (std::size_t g0 = 0; g0 < nd; g0 += 7) {
      const std::size_t g1 = std::min(nd, g0 + 7);
      out.write(kReport, si ? "(/,3X,'LENGTH',10X,'DIAMETER, M')" : "(/,3X,'LENGTH',10X,'DIAMETER, FT')");
      std::vector<fmt::Arg> d;
      for (std::size_t j = g0; j < g1; ++j) d.emplace_back(c.diameters_in[j] * length_factor);
      out.write(kReport, si ? "(3X,'  (M) ',7F9.2)" : "(3X,' (FT) ',7F9.2)", d);
      out.write(kReport, si ? "(3X,'      ',10X,'TOP LOAD, KN')" : "(3X,'      ',10X,'TOP LOAD, TONS')");
      for (std::size_t k = c.lengths_in.size(); k-- > 0;) {
        std::vector<fmt::Arg> row;
        row.emplace_back(c.lengths_in[k] * length_factor);
        for (std::size_t j = g0; j < g1; ++j) row.emplace_back(c.Q[m][j][k] * load_factor);
        out.write(kReport, "(8F9.2)", row);
      }
    }
  }
}

}  // namespace korva::report
