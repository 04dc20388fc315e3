#include "report_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

namespace korva::report {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool Blank(std::string_view s) { return Trim(s).empty(); }

bool Contains(std::string_view s, std::string_view what) { return s.find(what) != std::string_view::npos; }

bool StartsWith(std::string_view s, std::string_view what) {
  return s.substr(0, what.size()) == what;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    const std::size_t j = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > j) out.push_back(s.substr(j, i - j));
  }
  return out;
}

std::optional<double> Number(std::string_view s) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  if (s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "LABEL = value [unit]" with the "=" at `eq`.
std::optional<TLabelledValue> Labelled(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  TLabelledValue v;
  v.Label = std::string(Trim(line.substr(0, eq)));
  const auto words = Words(line.substr(eq + 1));
  if (v.Label.empty() || words.empty()) return std::nullopt;
  v.Value = ReadPrinted(words[0]);
  if (!v.Value.Value) return std::nullopt;
  const std::size_t unitStart = words.size() > 1 ? static_cast<std::size_t>(words[1].data() - line.data()) : line.size();
  v.Unit = std::string(Trim(line.substr(std::min(unitStart, line.size()))));
  return v;
}

// A value line of a layer block: 7 blanks, a label padded to 50 or 51 characters, "=",
// E10.3 and the estimation mark.
struct LayerLine {
  std::string Label;
  TPrinted Value;
  bool Estimated = false;
};
std::optional<LayerLine> LayerValueLine(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq != 57 && eq != 58) return std::nullopt;
  std::string_view rest = line.substr(eq + 1);
  const auto words = Words(rest);
  if (words.empty()) return std::nullopt;
  LayerLine l;
  l.Value = ReadPrinted(words[0]);
  if (!l.Value.Value && l.Value.Text.find('*') == std::string::npos) return std::nullopt;
  if (words.size() > 2 || (words.size() == 2 && words[1] != "(*)")) return std::nullopt;
  l.Estimated = words.size() == 2;
  l.Label = std::string(Trim(line.substr(0, eq)));
  return l;
}

// The row of a resistance table: fields (1X,F8.1,1X,F8.2,F9.2,F9.2,F9.2,2F9.2,1X,F9.2).
std::optional<std::array<TPrinted, 8>> TableRow(std::string_view line) {
  static constexpr std::array<std::pair<int, int>, 8> kFields = {
      {{1, 8}, {10, 8}, {18, 9}, {27, 9}, {36, 9}, {45, 9}, {54, 9}, {64, 9}}};
  std::array<TPrinted, 8> row;
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    const auto [at, width] = kFields[i];
    if (line.size() < static_cast<std::size_t>(at)) return std::nullopt;
    row[i] = ReadPrinted(line.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(width)));
    if (row[i].Text.empty()) return std::nullopt;
    if (!row[i].Value && row[i].Text.find_first_not_of('*') != std::string::npos) return std::nullopt;
  }
  return row;
}

}  // namespace

TPrinted ReadPrinted(std::string_view field) {
  TPrinted p;
  p.Text = std::string(Trim(field));
  p.Value = Number(p.Text);
  return p;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = text.find('\n', i);
    if (j == std::string_view::npos) j = text.size();
    std::string_view line = text.substr(i, j - i);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    i = j + 1;
  }
  return lines;
}

const TLabelledValue* TReportPass::Find(std::string_view label) const {
  for (const TLabelledValue& v : Shaft)
    if (v.Label == label) return &v;
  return nullptr;
}

TReportFile ParseReport(std::string_view text) {
  TReportFile r;
  r.Lines = SplitLines(text);
  const std::vector<std::string>& L = r.Lines;

  enum class Part { Head, Soil, ShaftInput, Results };
  Part part = Part::Head;
  TReportLayer* layer = nullptr;
  bool layerBottom = false;
  TReportPass* pass = nullptr;
  bool inShaft = false;

  for (std::size_t i = 0; i < L.size(); ++i) {
    const std::string_view line = L[i];
    const std::string_view t = Trim(line);

    if (part == Part::Head) {
      if (StartsWith(t, "Date:")) {
        const std::size_t timeAt = t.find("Time:");
        r.Date = std::string(Trim(t.substr(5, timeAt == std::string_view::npos ? t.npos : timeAt - 5)));
        if (timeAt != std::string_view::npos) r.Time = std::string(Trim(t.substr(timeAt + 5)));
      } else if (StartsWith(t, "TOTAL LOAD =") || StartsWith(t, "PROPOSED DEPTH =")) {
        const auto words = Words(t.substr(t.find('=') + 1));
        if (!words.empty()) {
          (StartsWith(t, "TOTAL") ? r.DesignLoad : r.ProposedDepth) = ReadPrinted(words[0]);
          if (words.size() > 1) r.SI = words[1] == "KN" || words[1] == "M";
        }
      } else if (t == "SOIL INFORMATION") {
        part = Part::Soil;
      }
      continue;
    }

    if (part == Part::Soil) {
      if (t == "INPUT DRILLED SHAFT INFORMATION") {
        part = Part::ShaftInput;
        layer = nullptr;
        continue;
      }
      if (StartsWith(t, "LAYER NO") && Contains(t, "----")) {
        TReportLayer l;
        const std::size_t dash = t.find("----");
        l.Number = static_cast<int>(Number(t.substr(8, dash - 8)).value_or(0));
        l.Kind = std::string(Trim(t.substr(dash + 4)));
        r.Layers.push_back(std::move(l));
        layer = &r.Layers.back();
        layerBottom = false;
        continue;
      }
      if (StartsWith(t, "(*) ESTIMATED BY THE PROGRAM")) {
        r.AnyEstimated = true;
        layer = nullptr;
        continue;
      }
      if (!layer || t.empty()) continue;
      if (t == "AT THE TOP") continue;
      if (t == "AT THE BOTTOM") {
        layerBottom = true;
        continue;
      }
      if (StartsWith(t, "SIDE FRICTION PROCEDURE")) {
        layer->Method = std::string(t);
        continue;
      }
      if (const auto v = LayerValueLine(line)) {
        if (StartsWith(v->Label, "LRFD RESISTANCE FACTOR")) {
          TLayerValue lv;
          lv.Label = v->Label;
          lv.Top = v->Value;
          lv.Single = true;
          layer->Values.push_back(std::move(lv));
          continue;
        }
        if (!layerBottom) {
          TLayerValue lv;
          lv.Label = v->Label;
          lv.Top = v->Value;
          lv.TopEstimated = v->Estimated;
          layer->Values.push_back(std::move(lv));
        } else {
          auto it = std::find_if(layer->Values.begin(), layer->Values.end(), [&](const TLayerValue& x) {
            return !x.Single && x.Label == v->Label && x.Bottom.Text.empty();
          });
          if (it == layer->Values.end()) {
            TLayerValue lv;
            lv.Label = v->Label;
            layer->Values.push_back(std::move(lv));
            it = layer->Values.end() - 1;
          }
          it->Bottom = v->Value;
          it->BottomEstimated = v->Estimated;
        }
        continue;
      }
      layer->Notes.emplace_back(t);
      continue;
    }

    if (part == Part::ShaftInput) {
      if (t == "COMPUTATION RESULTS") part = Part::Results;
      continue;
    }

    // Results.
    if (StartsWith(t, "- CASE ANALYZED")) {
      TReportPass p;
      p.Case = static_cast<int>(Number(t.substr(t.find(':') + 1)).value_or(0));
      r.Passes.push_back(std::move(p));
      pass = &r.Passes.back();
      inShaft = false;
      continue;
    }
    if (Contains(t, "NEED ANOTHER SOIL LAYER")) {
      r.NeedAnotherLayer = true;
      if (pass) pass->NeedAnotherLayer = true;
      continue;
    }
    if (StartsWith(t, "THE MOST EFFICIENT SHAFT")) {
      for (std::size_t k = i + 1; k < L.size(); ++k) {
        const std::string_view m = Trim(L[k]);
        if (m.empty()) continue;
        const auto v = Labelled(m);
        if (!v) break;
        r.MostEfficient.push_back(*v);
        i = k;
      }
      pass = nullptr;
      continue;
    }
    if (!pass) continue;
    if (StartsWith(t, "VARIATION LENGTH")) {
      pass->VariationLength = static_cast<int>(Number(t.substr(t.find(':') + 1)).value_or(0));
      continue;
    }
    if (StartsWith(t, "VARIATION DIAMETER")) {
      pass->VariationDiameter = static_cast<int>(Number(t.substr(t.find(':') + 1)).value_or(0));
      continue;
    }
    if (t == "DRILLED SHAFT INFORMATION") {
      inShaft = true;
      continue;
    }
    if (inShaft) {
      if (t == "PREDICTED RESULTS") {
        inShaft = false;
      } else if (const auto v = Labelled(line)) {
        pass->Shaft.push_back(*v);
      }
      continue;
    }
    if (StartsWith(t, "LENGTH  VOLUME") && i + 1 < L.size()) {
      pass->Heading = {L[i], L[i + 1]};
      std::size_t k = i + 2;
      for (; k < L.size(); ++k) {
        const auto row = TableRow(L[k]);
        if (!row) break;
        pass->Rows.push_back(*row);
      }
      i = k - 1;
      continue;
    }
    if (StartsWith(t, "RESULT FROM") || (StartsWith(t, "TOP  LOAD") && !Contains(t, "TIP"))) {
      TReportCurve c;
      std::size_t k = i + 1;
      if (StartsWith(t, "RESULT FROM")) {
        c.Name = std::string(Trim(t.substr(11)));
        if (c.Name.size() > 5 && c.Name.substr(c.Name.size() - 5) == " LINE") c.Name.resize(c.Name.size() - 5);
      } else {
        c.Name = "SOCKET";
        c.Columns = 2;
      }
      // Heading lines, then the rows of numbers.
      while (k < L.size() && (Blank(L[k]) || !Number(Words(L[k]).front()))) {
        if (k > i + 4) break;
        ++k;
      }
      for (; k < L.size(); ++k) {
        const auto words = Words(L[k]);
        if (words.size() != static_cast<std::size_t>(c.Columns)) break;
        std::array<double, 4> row{};
        bool ok = true;
        for (std::size_t w = 0; w < words.size(); ++w) {
          const auto v = Number(words[w]);
          ok = ok && v.has_value();
          if (v) row[w] = *v;
        }
        if (!ok) break;
        c.Rows.push_back(row);
      }
      if (!c.Rows.empty()) pass->Curves.push_back(std::move(c));
      i = k - 1;
      continue;
    }
  }
  return r;
}

std::vector<TMessageBlock> ParseMessages(std::string_view text) {
  std::vector<TMessageBlock> blocks;
  std::vector<std::string> current;
  const auto flush = [&] {
    if (current.empty()) return;
    auto it = std::find_if(blocks.begin(), blocks.end(),
                           [&](const TMessageBlock& b) { return b.Lines == current; });
    if (it != blocks.end()) ++it->Count;
    else blocks.push_back({current, 1});
    current.clear();
  };
  for (const std::string& raw : SplitLines(text)) {
    std::string_view line = raw;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (Blank(line)) {
      flush();
      continue;
    }
    const bool letter = std::any_of(line.begin(), line.end(),
                                    [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    if (!letter) {
      flush();
      continue;
    }
    current.emplace_back(line);
  }
  flush();
  return blocks;
}

}  // namespace korva::report
