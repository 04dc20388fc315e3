#include "graph_data.h"

#include <algorithm>

#include "evaluator.h"

namespace korva::results {
namespace {

// Replaces every occurrence of `from` in `s` by `to`.
void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

// Replaces the most specific placeholder of one kind: "X2" if present, else "X1", else "X".
void ReplacePlaceholder(std::string& s, char kind, std::string_view plain, std::string_view one,
                        std::string_view two) {
  const std::string p2{kind, '2'};
  const std::string p1{kind, '1'};
  if (s.find(p2) != std::string::npos) {
    ReplaceAll(s, p2, two);
  } else if (s.find(p1) != std::string::npos) {
    ReplaceAll(s, p1, one);
  } else {
    ReplaceAll(s, std::string(1, kind), plain);
  }
}

}  // namespace

void TLine::SetCount(int n) {
  Data.resize(static_cast<std::size_t>(std::max(n, 0)));
}

std::string TLine::LineName(std::string_view curve_name) const {
  if (!ValueS.empty()) return ValueS;
  return std::string(curve_name) + project::FormatGeneral(Value, 15);
}

std::string ExpandUnits(std::string_view code, int units) {
  std::string s(code);
  if (units == 3) return s;
  const bool si = units == 2;
  ReplacePlaceholder(s, 'F', si ? "kN" : "lbs", si ? "kN" : "kips", si ? "kN" : "tons");
  ReplacePlaceholder(s, 'L', si ? "m" : "in", si ? "mm" : "in", si ? "m" : "ft");
  return s;
}

std::string AxisCaption(std::string_view caption, std::string_view unit_code, int units) {
  std::string s(caption);
  if (!unit_code.empty()) s += " (" + ExpandUnits(unit_code, units) + ")";
  return s;
}

void TGraphPlot::SetUnits(int units) {
  units_ = std::clamp(units, 1, 3);
}

TLine& TGraphPlot::AddLine(std::string name, std::vector<TFloatPoint> points) {
  TLine& line = lines_.emplace_back();
  line.Value = static_cast<double>(lines_.size());
  line.ValueS = std::move(name);
  line.Data = std::move(points);
  return line;
}

void TGraphPlot::Resize(std::vector<TLine>& list, int n) {
  const std::size_t target = static_cast<std::size_t>(std::max(n, 0));
  if (list.size() > target) {
    list.resize(target);
    return;
  }
  list.reserve(target);
  while (list.size() < target) {
    // Sized from curve 0 before the new curve is added (no points for the first curve).
    const std::size_t points = list.empty() ? 0 : list.front().Data.size();
    TLine& line = list.emplace_back();
    line.Value = static_cast<double>(list.size());
    line.Data.resize(points);
  }
}

void TGraphPlot::SetPointCount(std::vector<TLine>& list, int n) {
  for (TLine& line : list) line.SetCount(n);
}

}  // namespace korva::results
