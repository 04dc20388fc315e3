#include "project_check.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "frame/input_reader.h"
#include "frame/streams.h"
#include "word_reader.h"

namespace korva::project {

int DetectFilter(const std::string& path) {
  const std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  if (ext != ".kvd" && ext != ".KVD") return kFilterCurrent;
  try {
    TWordReader in(path);
    return in.GetLineCount() >= 3 && in.GetWordCount(2) == 6 ? kFilter2012 : kFilter60;
  } catch (const std::exception&) {
    return kFilter2012;
  }
}

std::string CheckProject(const std::string& path, int filter) {
  if (filter == 0) filter = DetectFilter(path);
  Project project;
  const ReadResult r = CreateFromFile(project, path, filter);
  if (!r.ok()) return r.error;
  // What the engine would make of the project as the program writes it.
  const std::string text = ProjectFileText(project);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  try {
    korva::Streams out;
    out[korva::kConsole].close();
    korva::ListReader reader(lines);
    korva::check_limits(korva::to_internal_units(korva::read_project(reader, out)));
  } catch (const korva::InputError& e) {
    return std::string("The analysis would refuse this project: ") + e.what();
  }
  return {};
}

}  // namespace korva::project
