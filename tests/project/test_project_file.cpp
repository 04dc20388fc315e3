// The project model and its file: writer, the three readers, the unit switch, safe saving.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/input_reader.h"
#include "frame/streams.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace korva::project {
namespace {

const fs::path kFixtures = fs::path(KORVA_SOURCE_DIR) / "tests" / "fixtures" / "project";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path temp_dir() {
  char tmpl[] = "/tmp/korva-project-XXXXXX";
  return mkdtemp(tmpl);
}

TEST(ProjectFile, NewProjectIsWrittenByteForByte) {
  Project p;
  EXPECT_EQ(ProjectFileText(p),
            "New Pile\r\n"
            "1 \r\n"
            "1 1 1 1 1 2 0 0 0 0 0\r\n"
            "0 0 0 0 0 0 0\r\n"
            "1 0 0 2.5 3\r\n"
            "1 0 \r\n"
            "0.0 0 0 0 0 0 0 1 1 \r\n"
            "0.0 0 0 0 0 0 0 1 1 \r\n"
            "1 \r\n"
            "0 0 \r\n");
}

// Sets a layer row: soil type, bottom depth and the parameter values of both rows from a
// seed, so every value of the file is distinct.
void set_layer(Project& p, int row, int type, double depth, double seed) {
  TGridTable& D = p.tables.D;
  D.SetIntValue(kColSoilType, row, type);
  D.SetFloatValue(kColDepthBottom, row, depth);
  D.SetFloatValue(kColMaxSideFriction, row, seed + 0.5);
  D.SetFloatValue(kColMaxEndBearing, row, seed + 0.25);
  D.SetFloatValue(kColLrfdSideFriction, row, 0.55);
  D.SetFloatValue(kColLrfdEndBearing, row, 0.65);
  TGridTable* t = D.GetDataValue(kColLayerData, row);
  ASSERT_NE(t, nullptr);
  for (int c = 0; c < t->ColCount(); ++c) {
    for (int r = 0; r < 2; ++r) {
      TColumn& col = t->GetColumn(c);
      if (col.Kind() == ColumnKind::Float) t->SetFloatValue(c, r, seed + c + 0.125 * r + 0.001);
      else if (col.Kind() == ColumnKind::Int) t->SetIntValue(c, r, static_cast<int>(seed) + c + r);
      else if (col.Kind() == ColumnKind::Enum) t->SetIntValue(c, r, 2);
    }
  }
  if (type == kSoilSand) {
    t->SetIntValue(kSandMethod, 0, 2);
    t->SetIntValue(kSandMethod, 1, 2);
  }
}

struct Sample {
  const char* name;
  int units;
  bool ipent, chart, tz;
};

void build(Project& p, const Sample& s) {
  p.Create();
  p.data.SetUnits(s.units, p.tables);
  TProgramData& m = p.data;
  m.Title = std::string("Round trip: ") + s.name;
  m.PD = 60;
  m.KCYCL = 2;
  m.RCYCL = 0.75;
  m.PINC = 2.5;
  m.NLRFD = 1;
  m.DSTART = 3;
  m.DIALIM = 4.5;
  m.RATIO = 2;
  m.BELANGL = 45;
  m.TOPLENG = 5;
  m.BS = 1.2345678;
  m.EPILE = 3600000;
  m.WTD = 12.5;
  m.FST = 2;
  m.FSB = 3.5;
  m.IPENT = s.ipent ? 1 : 0;
  m.IChart = s.chart ? 1 : 0;
  m.PDMIN = 40;
  m.PDINCR = 5;
  m.DIAMINCR = 0.5;
  m.NPOINTPD = 3;
  m.PDSETT[0] = 0.1;
  m.PDSETT[1] = 0.2;
  m.PDSETT[2] = 0.00001;
  m.PrintTZCurves = s.tz ? 1 : 0;
  p.tables.D.SetRowCount(9);
  for (int k = 0; k < 9; ++k) set_layer(p, k, k + 1, 10.0 * (k + 1), 10.0 * (k + 1));
  if (s.tz) {
    p.tables.TblTZDepth.SetRowCount(3);
    for (int r = 0; r < 3; ++r) p.tables.TblTZDepth.SetFloatValue(kColTZDepth, r, 5.5 * (r + 1));
  }
}

TEST(ProjectFile, EveryFileTheWriterProducesReadsBackToTheSameModel) {
  const Sample samples[] = {
      {"English, every soil type", 1, false, false, false},
      {"SI with t-z depths", 2, false, false, true},
      {"multiple lengths", 1, true, false, false},
      {"design charts", 2, false, true, true},
  };
  for (const Sample& s : samples) {
    Project a;
    build(a, s);
    const std::string text = ProjectFileText(a);
    Project b;
    const ReadResult r = ReadVersion8Text(b, text, "x.kv8d");
    ASSERT_TRUE(r.ok()) << s.name << ": " << r.error;
    EXPECT_EQ(ProjectFileText(b), text) << s.name;
    EXPECT_EQ(b.data.Units(), s.units);
    EXPECT_EQ(b.data.Title, a.data.Title);
    EXPECT_EQ(b.tables.D.RowCount(), 9);
    EXPECT_EQ(b.tables.D.GetIntValue(kColSoilType, 8), 9);
    EXPECT_DOUBLE_EQ(b.tables.D.GetDataValue(kColLayerData, 5)->GetFloatValue(kWeakRockConcreteSlump, 1),
                     a.tables.D.GetDataValue(kColLayerData, 5)->GetFloatValue(kWeakRockConcreteSlump, 1));
    EXPECT_FALSE(b.DataChanged());
  }
}

TEST(ProjectFile, WriterNormalisesTheModel) {
  Project p;
  p.data.PD = 0;
  p.data.LPD = 100;
  p.data.IPENT = 1;
  p.data.IChart = 1;
  ProjectFileText(p);
  EXPECT_EQ(p.data.METHOD, 1);
  EXPECT_EQ(p.data.IPENT, 0);
  EXPECT_EQ(p.data.IChart, 0);

  p.data.PD = 50;
  p.data.IPENT = 1;
  p.data.DSTART = 3;
  p.data.DIALIM = 5;
  const std::string text = ProjectFileText(p);
  EXPECT_EQ(p.data.METHOD, 2);
  EXPECT_EQ(p.data.LPD, 0);
  EXPECT_EQ(p.data.DIALIM, 3);  // one diameter for multiple lengths
  EXPECT_NE(text.find("\r\n3 3 0 0 0 0 0\r\n"), std::string::npos) << text;

  set_layer(p, 0, kSoilWeakRock, 10, 1);
  p.data.ID2 = 1;
  ProjectFileText(p);
  EXPECT_EQ(p.data.ID2, 0);  // a rock layer clears the result flag
}

TEST(ProjectFile, EngineReadsWhatTheWriterWrites) {
  Project p;
  build(p, {"engine", 1, false, true, true});
  const std::string text = ProjectFileText(p);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  korva::Streams out;
  out[korva::kConsole].close();
  korva::ListReader reader(lines);
  const korva::ProjectInput e = korva::read_project(reader, out);
  EXPECT_EQ(e.TITLE.substr(0, p.data.Title.size()), p.data.Title);
  EXPECT_EQ(e.NLAYER, 9);
  EXPECT_EQ(e.NPOINTPD, 3);
  EXPECT_DOUBLE_EQ(e.PDSETT[2], 0.00001);
  EXPECT_DOUBLE_EQ(e.BS, 1.2345678);
  EXPECT_EQ(e.NTZ, 3);
  const TGridTable& D = p.tables.D;
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(e.layers[k].type(), k + 1);
    EXPECT_DOUBLE_EQ(e.layers[k].DEPTH, D.GetFloatValue(kColDepthBottom, k));
    EXPECT_DOUBLE_EQ(e.layers[k].PHIS, 0.55);
    EXPECT_DOUBLE_EQ(e.layers[k].PHIT, 0.65);
    EXPECT_DOUBLE_EQ(e.layers[k].TRANLM[1], D.GetFloatValue(kColMaxSideFriction, k));
  }
  const TGridTable* sand = D.GetDataValue(kColLayerData, 0);
  EXPECT_DOUBLE_EQ(e.layers[0].GAMMA[1], sand->GetFloatValue(kSandUnitWeight, 1));
  EXPECT_DOUBLE_EQ(e.layers[0].DELTA[0], sand->GetFloatValue(kSandInterfaceAngle, 0));
  EXPECT_DOUBLE_EQ(e.layers[0].COEF[1], sand->GetFloatValue(kSandBeta, 1));
  const TGridTable* weak = D.GetDataValue(kColLayerData, 5);
  EXPECT_DOUBLE_EQ(e.layers[5].ICOND[0], 2);
  EXPECT_DOUBLE_EQ(e.layers[5].EL[1], weak->GetFloatValue(kWeakRockElasticModulus, 1));
  const TGridTable* gravel = D.GetDataValue(kColLayerData, 8);
  EXPECT_DOUBLE_EQ(e.layers[8].COEF[0], gravel->GetFloatValue(kRollinsBeta, 0));
}

TEST(ProjectFile, OlderLayouts) {
  Project p;
  ReadResult r = CreateFromFile(p, (kFixtures / "old-2012.kvd").string(), kFilter2012);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(p.data.NLRFD, 1);
  EXPECT_EQ(p.data.Yesnewversion, 1);
  const TGridTable& D = p.tables.D;
  ASSERT_EQ(D.RowCount(), 2);
  const TGridTable* sand = D.GetDataValue(kColLayerData, 0);
  EXPECT_EQ(sand->GetFloatValue(kSandInterfaceAngle, 0), 0);  // not kept by this layout
  EXPECT_EQ(sand->GetFloatValue(kSandFrictionAngle, 1), 32);
  EXPECT_EQ(sand->GetFloatValue(kSandBeta, 0), 0.8);  // method 2: Beta values
  // RS and RE are read from a line with 9 words only: the bottom line had 7.
  EXPECT_EQ(D.GetFloatValue(kColLrfdSideFriction, 0), 0.5);
  EXPECT_EQ(D.GetFloatValue(kColLrfdSideFriction, 1), 0.45);
  EXPECT_EQ(p.data.PDSETT[1], 0.25);  // default settlements after an older layout

  r = CreateFromFile(p, (kFixtures / "old-60.kvd").string(), kFilter60);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(p.data.NLRFD, 0);
  EXPECT_EQ(p.data.Yesnewversion, 0);
  EXPECT_EQ(p.data.IMOD, 1);  // a 4-word line: IMOD is not in the file
  EXPECT_EQ(p.tables.D.GetDataValue(kColLayerData, 0)->GetFloatValue(kClayAlpha, 1), 0.55);
  // Written again in the current layout, NLRFD stays 0.
  std::istringstream written(ProjectFileText(p));
  std::string line;
  for (int i = 0; i < 3; ++i) std::getline(written, line);
  EXPECT_EQ(line, "2 1 1 5 1 0 0 0 0 0 0\r");
}

TEST(ProjectFile, ReadErrorsNameLineAndItemAndLeaveValidTables) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"truncated in a layer", "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 0 0 0 0 0\r\n1 0 60 2 3\r\n2 30 \r\n0 120 0.0 1000",
       "This file either invalid or incomplete."},
      {"word for a real", "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 x 0 0 0 0\r\n",
       "Error on Line 4 Item 3\rA floating point number was expected but not found."},
      {"real for an integer", "t\r\n1 \r\n2 1 1 1 1 2.5 0 0 0 0 0\r\n",
       "Error on Line 3 Item 6\rAn integer was expected but not found."},
      // Beyond a double: refused, not stored as infinity (nor, as once, read as zero).
      {"real beyond a double",
       "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 10e00000000000000000000000000000000000000009223372036854775806 0 0 0 0\r\n",
       "Error on Line 4 Item 3\rThe number is out of range (its magnitude exceeds 1.7E+308)."},
      {"integer beyond a double", "t\r\n1 \r\n2 1 1 1 1 1e99999999999999999999 0 0 0 0 0\r\n",
       "Error on Line 3 Item 6\rAn integer was expected but not found."},
      // Counts are checked against the rest of the file before a table is sized by them.
      {"layer count beyond the file", "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 0 0 0 0 0\r\n2000000000 0 60 2 3\r\n",
       "Error on Line 5 Item 1\rThe number of soil layers is out of range."},
      {"negative layer count", "t\r\n1 \r\n2 1 1 1 1 2 0 0 0 0 0\r\n3 0 0 0 0 0 0\r\n-3 0 60 2 3\r\n",
       "Error on Line 5 Item 1\rThe number of soil layers is out of range."},
      {"t-z depth count beyond the file",
       "t\r\n1 \r\n1 1 1 1 1 2 0 0 0 0 1\r\n0 0 0 0 0 0 0\r\n1 0 0 2.5 3\r\n1 0 \r\n"
       "0.0 0 0 0 0 0 0 1 1 \r\n0.0 0 0 0 0 0 0 1 1 \r\n1 \r\n0 0 \r\n2000000000\r\n5\r\n",
       "Error on Line 11 Item 1\rThe number of t-z curve depths is out of range."},
  };
  for (const Case& c : cases) {
    Project p;
    const ReadResult r = ReadVersion8Text(p, c.text, "x.kv8d");
    EXPECT_EQ(r.error, c.message) << c.name;
    EXPECT_GE(p.tables.D.RowCount(), 1) << c.name;
    EXPECT_NE(p.tables.D.GetDataValue(kColLayerData, 0), nullptr) << c.name;
    EXPECT_GE(p.tables.TblTZDepth.RowCount(), 1) << c.name;
    EXPECT_FALSE(p.DataChanged()) << c.name;
  }
  Project p;
  const ReadResult missing = ReadVersion8(p, "/nonexistent/dir/x.kv8d");
  EXPECT_NE(missing.error.find("No such file or directory"), std::string::npos) << missing.error;
  EXPECT_EQ(p.data.Units(), 1);
}

// Whatever a reader left in the model, saving it writes a file that reads back to the same
// text: the settlement count written is the count of settlements that follow it.
TEST(ProjectFile, SettlementCountIsTheCountWritten) {
  Project p;
  // The design-chart record asks for 18 settlements and the file ends within them.
  const ReadResult r = ReadVersion8Text(
      p, "charts\r\n1 \r\n2 1 1 6 1 2 0 1 0 0 0\r\n3 3.5 0 0 5 3 3600000\r\n2 12 50 2 2.5\r\n0 0 0 18 0.25 0.5\r\n",
      "x.kv8d");
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(p.data.NPOINTPD, 10);  // the list holds ten
  EXPECT_EQ(p.data.PDSETT[1], 0.5);

  Project more;
  more.data.PD = 50;
  more.data.IChart = 1;
  more.data.NPOINTPD = 18;
  for (Project* from : {&p, &more}) {
    const std::string text = ProjectFileText(*from);
    EXPECT_NE(text.find(" 10\r\n"), std::string::npos) << text;
    Project back;
    const ReadResult again = ReadVersion8Text(back, text, "x.kv8d");
    ASSERT_TRUE(again.ok()) << again.error << "\n" << text;
    EXPECT_EQ(ProjectFileText(back), text);
  }
}

TEST(ProjectModel, UnitSwitchRoundTripsAndDefaults) {
  Project p;
  TProgramData& m = p.data;
  m.PINC = 2.5;
  m.DSTART = 3;
  m.PD = 60;
  m.WTD = 12;
  m.LPD = 150;
  m.EPILE = 3600000;
  m.PDMIN = 40;
  p.tables.D.SetFloatValue(kColDepthBottom, 0, 33);
  const TProgramData before = m;
  m.SetUnits(2, p.tables);
  EXPECT_NEAR(m.DSTART, 3 / 3.280839895, 1e-12);
  EXPECT_NEAR(m.EPILE, 3600000 * 39.37007874 * 39.37007874 / 224.8089237, 1e-3);
  EXPECT_EQ(m.PDMIN, 40);  // not converted
  m.SetUnits(2, p.tables);  // the active system: nothing changes
  EXPECT_NEAR(m.DSTART, 3 / 3.280839895, 1e-12);
  m.SetUnits(1, p.tables);
  for (auto [a, b] : {std::pair{m.PINC, before.PINC}, {m.DSTART, before.DSTART}, {m.PD, before.PD},
                      {m.WTD, before.WTD}, {m.LPD, before.LPD}, {m.EPILE, before.EPILE}})
    EXPECT_NEAR(a, b, 1e-12 * b);
  EXPECT_NEAR(p.tables.D.GetFloatValue(kColDepthBottom, 0), 33, 33e-12);

  m.SetUnits(2, p.tables);
  m.InitPDSET();
  const double si[] = {0.00254, 0.00635, 0.0127, 0.01905, 0.0254};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(m.PDSETT[i], si[i], 1e-12);
  EXPECT_NEAR(m.PDSETT[9], 0.0254, 1e-12);
}

TEST(ProjectModel, NewProjectHasOneSandLayer) {
  Project p;
  const TGridTable& D = p.tables.D;
  ASSERT_EQ(D.RowCount(), 1);
  EXPECT_EQ(D.GetIntValue(kColSoilType, 0), 1);
  EXPECT_EQ(D.GetFloatValue(kColDepthBottom, 0), 0);
  const TGridTable* sand = D.GetDataValue(kColLayerData, 0);
  ASSERT_NE(sand, nullptr);
  EXPECT_EQ(sand->RowCount(), 2);
  EXPECT_EQ(sand->GetIntValue(kSandMethod, 1), 1);
  EXPECT_EQ(sand->GetFloatValue(kSandUnitWeight, 1), 0);
  EXPECT_FALSE(p.DataChanged());
  p.SetDataChanged(true);
  EXPECT_TRUE(p.DataChanged());
}

TEST(Save, ReplacesTheFileAndKeepsItWhenWritingFails) {
  const fs::path dir = temp_dir();
  const fs::path file = dir / "p.kv8d";
  Project p;
  Save(p, file.string());
  const std::string first = slurp(file);
  EXPECT_EQ(first, ProjectFileText(p));
  EXPECT_EQ(p.data.FileName, file.string());

  // A write error in the middle (file size limit) leaves the old file byte for byte.
  p.data.Title = std::string(5000, 'x');
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{100, 100};
    setrlimit(RLIMIT_FSIZE, &lim);
    try {
      Save(p, file.string());
      _exit(1);
    } catch (const std::exception&) {
      _exit(0);
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed save was not reported";
  EXPECT_EQ(slurp(file), first);
  for (const auto& e : fs::directory_iterator(dir)) EXPECT_EQ(e.path(), file) << "left " << e.path();

  // A directory that does not exist: reported, nothing written.
  EXPECT_THROW(Save(p, (dir / "missing" / "p.kv8d").string()), std::runtime_error);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korva::project
