// Reading project files into the engine's input, defaults and unit conversion.
#include <gtest/gtest.h>

#include <sstream>

#include "frame/input_reader.h"
#include "frame/streams.h"

namespace korva {
namespace {

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

ProjectInput read(const std::string& text) {
  Streams out;
  out[kConsole].close();  // keep the test output quiet
  ListReader in(split(text));
  return read_project(in, out);
}

std::string error_of(const std::string& text) {
  try {
    ProjectInput p = to_internal_units(read(text));
    check_limits(p);
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

// One layer of every soil type, each with its own record shape, then a t-z depth list.
// A wrong record length anywhere shifts every later value and breaks the checks.
const char* kAllTypes =
    "All nine soil types\n"
    "1 \n"
    "2 1 1 5 1 2 0 0 0 0 1\n"
    "3 4 0 0 5 3 3600000\n"
    "9 12 90 2 2.5\n"
    // sand: 9 + 9, method, 2 coefficients
    "1 10 \n"
    "0.0 110 30 25 10 0 0 0.55 0.5 \n"
    "0.0 115 32 26 14 0 0 0.56 0.51 \n"
    "2 \n"
    "0.8 0.7 \n"
    // clay: 9 + 9 + 2 alphas
    "2 20 \n"
    "7 118 0.0 800 0 1e-11 0 0.45 0.4 \n"
    "8 119 0.0 900 0 3000 -20000 0.46 0.41 \n"
    "0.5 0.45\n"
    // clay-shale
    "3 30 \n"
    "6 125 0.0 5000 50 0 0 1 1 \n"
    "6 126 0.0 6000 60 0 0 1 1 \n"
    "0 0\n"
    // strong rock (side or base): 11 + 11
    "4 40 \n"
    "100000 4000 1 0.01 3 0 2000000 80 0 0.5 0.6 \n"
    "110000 4000 1.5 0.02 3 0 2100000 85 0 0.5 0.6 \n"
    // decomposed rock / gravel: 9 + 9
    "5 50 \n"
    "130 60 0.3 50000 3 0 0 1 1 \n"
    "131 70 0.3 60000 3 0 0 1 1 \n"
    // weak rock: 11 + 11
    "6 60 \n"
    "20000 2 7 30 3 0 1500000 70 0 1 1 \n"
    "21000 2 7 30 3 0 1600000 75 0 0.7 0.8 \n"
    // strong rock (side and base)
    "7 70 \n"
    "200000 5000 1 0 3 0 3000000 90 0 1 1 \n"
    "200000 5000 1 0 3 0 3000000 90 0 1 1 \n"
    // gravelly sand: 7 + 7
    "8 80 \n"
    "125 30 0 0 0 1 1 \n"
    "126 31 0 0 0 1 1 \n"
    // gravel
    "9 95 \n"
    "130 40 1.1 0 0 1 1 \n"
    "131 45 1.2 0 0 0.65 0.75 \n"
    "3\n"
    "5\n"
    "12.5 99 99\n"
    "40\n";

TEST(ReadProject, EverySoilTypeHasItsRecordShape) {
  ProjectInput p = read(kAllTypes);
  ASSERT_EQ(p.NLAYER, 9);
  const auto& L = p.layers;
  for (int k = 0; k < 9; ++k) EXPECT_EQ(L[k].type(), k + 1);
  // sand
  EXPECT_EQ(L[0].GAMMA[1], 115);
  EXPECT_EQ(L[0].DELTA[0], 25);  // the interface angle sits where clay keeps its strength
  EXPECT_EQ(L[0].BLOWS[1], 14);
  EXPECT_EQ(L[0].ISIDE, 2);
  EXPECT_EQ(L[0].COEF[1], 0.7);
  EXPECT_EQ(L[0].PHIS, 0.56);  // the bottom record's factors win
  EXPECT_EQ(L[0].PHIT, 0.51);
  // clay
  EXPECT_EQ(L[1].NC[0], 7);
  EXPECT_EQ(L[1].CU[1], 900);
  EXPECT_EQ(L[1].COEF[0], 0.5);
  EXPECT_EQ(L[1].QMAX[1], -20000);
  // strong rock
  EXPECT_EQ(L[3].QUR[1], 110000);
  EXPECT_EQ(L[3].CS[1], 1.5);
  EXPECT_EQ(L[3].EL[0], 2000000);
  EXPECT_EQ(L[3].RQD[1], 85);
  EXPECT_EQ(L[3].PHIT, 0.6);
  // decomposed rock
  EXPECT_EQ(L[4].BLOWS[1], 70);
  EXPECT_EQ(L[4].NU[0], 0.3);
  EXPECT_EQ(L[4].EL[1], 60000);
  // weak rock
  EXPECT_EQ(L[5].ICOND[0], 2);
  EXPECT_EQ(L[5].SLUMP[0], 7);
  EXPECT_EQ(L[5].WRDELTA[1], 30);
  EXPECT_EQ(L[5].RQD[1], 75);
  EXPECT_EQ(L[5].PHIS, 0.7);
  // gravelly sand and gravel
  EXPECT_EQ(L[7].BLOWS[1], 31);
  EXPECT_EQ(L[8].COEF[1], 1.2);
  EXPECT_EQ(L[8].PHIT, 0.75);
  // t-z depths: one per line, so "12.5 99 99" is one depth
  ASSERT_EQ(p.NTZ, 3);
  EXPECT_EQ(p.TZDEP, (std::vector<double>{5, 12.5, 40}));
}

TEST(ReadProject, ZeroOrTinyLimitsMeanNoLimit) {
  ProjectInput p = read(kAllTypes);
  const LayerInput& clay = p.layers[1];
  EXPECT_EQ(clay.TRANLM[0], 1e10);  // 1e-11
  EXPECT_EQ(clay.TRANLM[1], 3000);
  EXPECT_EQ(p.layers[0].QMAX[0], 1e10);  // 0
  EXPECT_EQ(clay.QMAX[1], -20000);       // a negative value fixes the base resistance
}

TEST(ReadProject, UnknownSoilCodeAboveThreeReadsNoRecords) {
  ProjectInput p = read(
      "t\n1\n2 1 1 5 1 2 0 0 0 0 0\n3 0 0 0 5 3 3600000\n2 12 20 2 2.5\n"
      "12 10\n"
      "2 30\n7 118 0.0 800 0 0 0 1 1\n8 119 0.0 900 0 0 0 1 1\n0 0\n");
  EXPECT_EQ(p.layers[0].type(), 0);
  EXPECT_EQ(p.layers[1].type(), 2);
  EXPECT_EQ(p.layers[1].CU[1], 900);
}

std::string header(const std::string& unit, const std::string& line3, const std::string& rest) {
  return "Length variation\n" + unit + "\n" + line3 + "\n3 0 0 0 5 3 3600000\n" + rest;
}
const char* kClayLayer = "2 100\n0 118 0.0 800 0 0 0 1 1\n0 119 0.0 900 0 0 0 1 1\n0 0\n";

TEST(ReadProject, LengthVariationAndDesignChartDefaults) {
  struct Case {
    const char* name;
    std::string text;
    double pdmin, pdincr, diamincr;
    int npoint;
  };
  const Case cases[] = {
      // PDMIN = max(0.7 * 200, 6 * 3 + 5 + 3)
      {"IPENT English", header("1", "2 1 1 5 1 2 1 0 0 0 0", "1 12 200 2 2.5\n0 0\n") + kClayLayer,
       140, 3.0, 0, 0},
      {"IPENT SI", header("2", "2 1 1 5 1 2 1 0 0 0 0", "1 12 20 2 2.5\n0 0\n") + kClayLayer, 26,
       1.0, 0, 0},
      {"IPENT given", header("1", "2 1 1 5 1 2 1 0 0 0 0", "1 12 60 2 2.5\n50 2\n") + kClayLayer,
       50, 2, 0, 0},
      {"IChart no settlements",
       header("1", "2 1 1 5 1 2 0 1 0 0 0", "1 12 200 2 2.5\n0 0 0 0\n\n") + kClayLayer, 60, 3.0,
       0.5, 0},
      {"IChart SI", header("2", "2 1 1 5 1 2 0 1 0 0 0", "1 12 100 2 2.5\n0 0 0 2\n0.01\n0.02\n") +
                        kClayLayer,
       30, 1.0, 0.15, 2},
      {"both: the chart record wins",
       header("1", "2 1 1 5 1 2 1 1 0 0 0", "1 12 200 2 2.5\n150 5\n0 0 0 1\n1.5\n") + kClayLayer,
       60, 3.0, 0.5, 1},
  };
  for (const Case& c : cases) {
    ProjectInput p = read(c.text);
    EXPECT_DOUBLE_EQ(p.PDMIN, c.pdmin) << c.name;
    EXPECT_DOUBLE_EQ(p.PDINCR, c.pdincr) << c.name;
    EXPECT_DOUBLE_EQ(p.DIAMINCR, c.diamincr) << c.name;
    EXPECT_EQ(p.NPOINTPD, c.npoint) << c.name;
    EXPECT_EQ(p.layers.at(0).CU[1], 900) << c.name;  // the layers still line up
  }
}

TEST(ToInternalUnits, SiValuesArriveInFeetTonsAndPounds) {
  const std::string si =
      "SI project\n2 \n2 1 1 1.5 1 1 1 0 0 0 1\n1 2 2 30 1.5 1 25000000\n"
      "2 3 18 3 2\n12 1\n"
      "2 10\n0 18 0.0 50 0 100 2000 1 1\n0 19 0.0 60 0 100 2000 1 1\n0 0\n"
      "4 20\n4000 30000 0.3 0.01 1 0 2000000 80 0 1 1\n4000 30000 0.3 0.01 1 0 2000000 80 0 1 1\n"
      "1\n4\n";
  const ProjectInput raw = read(si);
  const ProjectInput p = to_internal_units(raw);
  EXPECT_TRUE(p.si());
  EXPECT_DOUBLE_EQ(p.DSTART, 1 * 3.2808);
  EXPECT_DOUBLE_EQ(p.DIAEND, 2 * 3.2808);
  EXPECT_DOUBLE_EQ(p.TOPLEN, 1.5 * 3.2808);
  EXPECT_DOUBLE_EQ(p.PINC, 1.5 * 3.2808);
  EXPECT_DOUBLE_EQ(p.WTD, 3 * 3.2808);
  EXPECT_DOUBLE_EQ(p.TARGET_LENGTH, 18 * 3.2808);  // METHOD 2: the design depth
  EXPECT_DOUBLE_EQ(p.P_DGH, 18 * 0.1124);          // the one value converts as a load
  EXPECT_DOUBLE_EQ(p.PDMIN, 12 * 3.2808);
  EXPECT_DOUBLE_EQ(p.Ec, 25000000 * 20.885 / 2000);
  const LayerInput& clay = p.layers[0];
  EXPECT_DOUBLE_EQ(clay.DEPTH, 10 * 3.2808);
  EXPECT_DOUBLE_EQ(clay.GAMMA[1], 19 * 6.3659);
  EXPECT_DOUBLE_EQ(clay.CU[0], 50 * 20.885);
  EXPECT_DOUBLE_EQ(clay.TRANLM[0], 100 * 20.885);
  EXPECT_DOUBLE_EQ(clay.QMAX[1], 2000 * 20.885);
  const LayerInput& rock = p.layers[1];
  EXPECT_DOUBLE_EQ(rock.QUR[0], 4000 * 20.885);
  EXPECT_DOUBLE_EQ(rock.QUCON[0], 30000 * 20.885);
  EXPECT_DOUBLE_EQ(rock.CS[0], 0.3 * 3.2808);
  EXPECT_DOUBLE_EQ(rock.BDS[0], 1 * 3.2808);
  EXPECT_DOUBLE_EQ(rock.EL[0], 2000000 * 20.885 / 2000);
  EXPECT_DOUBLE_EQ(p.TZDEP.at(0), 4 * 3.2808);
  // The input as read keeps the user's units for the report.
  EXPECT_EQ(raw.layers[0].GAMMA[1], 19);
}

TEST(ToInternalUnits, EnglishKeepsUnitsAndConvertsModuli) {
  for (const char* unit : {"0", "1"}) {
    const ProjectInput p = to_internal_units(read(header(unit, "2 1 1 5 1 2 0 0 0 0 0",
                                                         "1 12 60 2 2.5\n") + kClayLayer));
    EXPECT_FALSE(p.si());
    EXPECT_EQ(p.DSTART, 3);
    EXPECT_EQ(p.TARGET_LENGTH, 60);
    EXPECT_DOUBLE_EQ(p.Ec, 3600000 * 144.0 / 2000);
    EXPECT_EQ(p.layers[0].CU[1], 900);
  }
}

TEST(ToInternalUnits, RatioOfOneIsAStraightShaft) {
  ProjectInput p = read(header("1", "2 1 1 5 1 2 0 0 0 0 0", "1 12 60 2 2.5\n") + kClayLayer);
  p.RATIO = 1;
  EXPECT_EQ(to_internal_units(p).RATIO, 0);
}

TEST(ReadProject, WarnsWhenTheDesignDepthIsBelowTheProfile) {
  Streams out;
  out[kConsole].close();
  ListReader in(split(header("1", "2 1 1 5 1 2 0 0 0 0 0", "1 12 120 2 2.5\n") + kClayLayer));
  // Without open files the warning has nowhere to go; the read itself must go on.
  EXPECT_NO_THROW(read_project(in, out));
}

TEST(ReadProject, RefusesMalformedFilesAndProjectsBeyondTheTables) {
  std::string layers31;
  for (int k = 1; k <= 31; ++k)
    layers31 += "2 " + std::to_string(k) + "\n0 118 0.0 800 0 0 0 1 1\n0 119 0.0 900 0 0 0 1 1\n0 0\n";
  std::string deep = header("1", "2 1 1 5 1 2 0 0 0 0 0", "1 12 60 2 2.5\n") +
                     "2 501\n0 118 0.0 800 0 0 0 1 1\n0 119 0.0 900 0 0 0 1 1\n0 0\n";
  const std::string chart = "2 1 1 5 1 2 0 1 0 0 0";
  struct Case {
    const char* name;
    std::string text;
    const char* message_part;
  };
  const Case cases[] = {
      {"truncated in a layer",
       header("1", "2 1 1 5 1 2 0 0 0 0 0", "1 12 60 2 2.5\n2 30\n0 118 0.0 800 0 0 0 1 1\n"),
       "ENDS AFTER LINE 7; EXPECTED NC AT THE BOTTOM OF LAYER 1"},
      {"word for a number",
       header("1", "2 1 1 5 1 2 0 0 0 0 0", "1 12 60 2 2.5\n2 30\n0 heavy 0.0 800 0 0 0 1 1\n"),
       "LINE 7: \"heavy\" IS NOT A NUMBER; EXPECTED GAMMA AT THE TOP OF LAYER 1"},
      {"empty file", "", "EXPECTED THE PROJECT TITLE"},
      {"31 layers", header("1", "2 1 1 5 1 2 0 0 0 0 0", "31 12 60 2 2.5\n") + layers31,
       "31 SOIL LAYERS; THE ENGINE ANALYSES 1 TO 30"},
      {"no layers", header("1", "2 1 1 5 1 2 0 0 0 0 0", "0 12 60 2 2.5\n"), "0 SOIL LAYERS"},
      {"11 settlements",
       header("1", chart, "1 12 60 2 2.5\n0 0 0 11\n1 2 3 4 5 6 7 8 9 10 11\n") + kClayLayer,
       "11 DESIGN-CHART SETTLEMENTS"},
      {"151 t-z depths",
       header("1", "2 1 1 5 1 2 0 0 0 0 1", "1 12 60 2 2.5\n") + kClayLayer + "151\n",
       "151 T-Z CURVE DEPTHS"},
      {"profile deeper than the tables", deep, "THE SOIL PROFILE REACHES 501 FT"},
      {"21 chart diameters",
       header("1", "2 1 1 5 1 2 0 1 0 0 0", "1 12 60 2 2.5\n0 0 0.1 1\n1\n") + kClayLayer,
       "MORE THAN 20 DIAMETERS"},
      {"negative diameter step",
       header("1", "2 1 1 5 1 2 0 1 0 0 0", "1 12 60 2 2.5\n0 0 -0.5 1\n1\n") + kClayLayer,
       "DIAMETER INCREMENT"},
      {"negative length step",
       header("1", "2 1 1 5 1 2 1 0 0 0 0", "1 12 60 2 2.5\n40 -3\n") + kClayLayer,
       "LENGTH INCREMENT"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    // The chart cases analyse 3 to 5 ft.
    if (std::string(c.name).find("chart diameters") != std::string::npos)
      text.replace(text.find("3 0 0 0 5 3"), 11, "3 5 0 0 5 3");
    const std::string msg = error_of(text);
    EXPECT_NE(msg.find(c.message_part), std::string::npos) << c.name << ": " << msg;
  }
}

}  // namespace
}  // namespace korva
