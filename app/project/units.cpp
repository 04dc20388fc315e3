// Unit symbols, the two naming rules for unit strings and their conversion factors.
#include "units.h"

#include <array>
#include <cmath>

namespace korva::project {
namespace {

struct UnitSymbol {
  std::string_view symbol;
  std::string_view english;
  std::string_view si;
  std::string_view generic;
  double factor;  // English units in one SI unit
};

constexpr UnitSymbol kF{"F", "lbs", "kN", "F", 224.8089237};
constexpr UnitSymbol kF1{"F1", "kips", "kN", "F", 0.2248089237};
constexpr UnitSymbol kF2{"F2", "tons", "kN", "F", 0.1124044745};
constexpr UnitSymbol kL{"L", "in", "m", "L", 39.37007874};
constexpr UnitSymbol kL1{"L1", "in", "mm", "L", 0.03937007874};
constexpr UnitSymbol kL2{"L2", "ft", "m", "L", 3.280839895};
constexpr UnitSymbol kF4{"F4", "lb-sec2/in", "Mg", "M", 5.7101483};
constexpr UnitSymbol kF5{"F5", "sec", "sec", "T", 1.0};
constexpr UnitSymbol kL3{"L3", "rad", "rad", "L", 1.0};
constexpr UnitSymbol kF6{"F6", "slug", "Mg", "F", 68.364249};

// Replacement order of the column/graph rule: the coded symbols before their bare
// letter, so "F2" is never taken as "F" followed by "2".
constexpr std::array<const UnitSymbol*, 10> kDisplayOrder = {&kF2, &kF1, &kF4, &kF5, &kF6,
                                                             &kF,  &kL3, &kL2, &kL1, &kL};
// Candidates of the entry-field rule, in the order they are looked for.
constexpr std::array<const UnitSymbol*, 5> kCodedForces = {&kF6, &kF5, &kF4, &kF2, &kF1};
constexpr std::array<const UnitSymbol*, 3> kCodedLengths = {&kL2, &kL1, &kL3};

// Systems outside 1..3 are taken as the nearest one, as the entry field clamps `Units`.
int NormalizedSystem(int system) {
  if (system <= kEnglish) return kEnglish;
  if (system >= kGeneric) return kGeneric;
  return kSI;
}

std::string_view NameIn(const UnitSymbol& symbol, int system) {
  switch (NormalizedSystem(system)) {
    case kEnglish: return symbol.english;
    case kSI: return symbol.si;
    default: return symbol.generic;
  }
}

// Replaces every occurrence of `from`; the search resumes after each inserted name, so
// the inserted text is never matched again.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t start = 0;
  std::size_t pos = text.find(from);
  if (pos == std::string::npos) return;
  out.reserve(text.size());
  while (pos != std::string::npos) {
    out.append(text, start, pos - start);
    out.append(to);
    start = pos + from.size();
    pos = text.find(from, start);
  }
  out.append(text, start, std::string::npos);
  text = std::move(out);
}

// A "^" followed by one digit raises the preceding symbol to that power.
int ReadPower(std::string_view part, std::size_t& i) {
  if (i + 1 < part.size() && part[i] == '^' && part[i + 1] >= '0' && part[i + 1] <= '9') {
    int power = part[i + 1] - '0';
    i += 2;
    return power;
  }
  return 1;
}

// Value of one side of the fraction: an optional force term, one separating character
// and an optional length term. Anything else counts as 1.
double PartValue(std::string_view part) {
  double value = 1.0;
  std::size_t i = 0;
  if (i < part.size() && part[i] == 'F') {
    ++i;
    const UnitSymbol* symbol = &kF;
    if (i < part.size()) {
      switch (part[i]) {
        case '0': ++i; break;
        case '1': symbol = &kF1; ++i; break;
        case '2': symbol = &kF2; ++i; break;
        case '4': symbol = &kF4; ++i; break;
        case '5': symbol = &kF5; ++i; break;
        case '6': symbol = &kF6; ++i; break;
        default: break;  // not a code: the separating character
      }
    }
    value *= std::pow(symbol->factor, ReadPower(part, i));
    if (i < part.size()) ++i;  // the separating character
  }
  if (i < part.size() && part[i] == 'L') {
    ++i;
    const UnitSymbol* symbol = &kL;
    if (i < part.size()) {
      switch (part[i]) {
        case '0': ++i; break;
        case '1': symbol = &kL1; ++i; break;
        case '2': symbol = &kL2; ++i; break;
        case '3': symbol = &kL3; ++i; break;
        default: break;
      }
    }
    value *= std::pow(symbol->factor, ReadPower(part, i));
  }
  return value;
}

}  // namespace

std::string UnitDisplayName(std::string_view unit_string, int system) {
  std::string text(unit_string);
  for (const UnitSymbol* symbol : kDisplayOrder) ReplaceAll(text, symbol->symbol, NameIn(*symbol, system));
  return text;
}

std::string UnitEntryDisplayName(std::string_view unit_string, int system) {
  std::string text(unit_string);
  if (NormalizedSystem(system) == kGeneric) return text;

  // One force symbol: the first coded one present, else the bare "F".
  const UnitSymbol* force = &kF;
  for (const UnitSymbol* symbol : kCodedForces) {
    if (text.find(symbol->symbol) != std::string::npos) {
      force = symbol;
      break;
    }
  }
  ReplaceAll(text, force->symbol, NameIn(*force, system));

  // One length symbol, likewise.
  const UnitSymbol* length = &kL;
  for (const UnitSymbol* symbol : kCodedLengths) {
    if (text.find(symbol->symbol) != std::string::npos) {
      length = symbol;
      break;
    }
  }
  ReplaceAll(text, length->symbol, NameIn(*length, system));
  return text;
}

double UnitConversionFactor(std::string_view unit_string, int from, int to) {
  int exponent = 0;
  if (from == kEnglish && to == kSI) exponent = -1;
  if (from == kSI && to == kEnglish) exponent = 1;
  if (exponent == 0) return 1.0;

  std::string_view numerator = unit_string;
  std::string_view denominator;
  if (std::size_t slash = unit_string.find('/'); slash != std::string_view::npos) {
    numerator = unit_string.substr(0, slash);
    denominator = unit_string.substr(slash + 1);
  }
  double value = PartValue(numerator) / PartValue(denominator);
  return exponent > 0 ? value : 1.0 / value;
}

}  // namespace korva::project
