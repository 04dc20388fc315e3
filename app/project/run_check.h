// What the analysis would refuse, found before a run: the engine's table and loop bounds
// applied to the project model, with the engine's own explanation.
#pragma once

#include <string>

#include "program_data.h"

namespace korva::project {

// The first bound of the analysis that the project goes beyond, in the words the engine
// would write into its report; empty when the engine will analyse the project. Reads the
// model as the project writer stores it (the design method follows the design depth).
std::string AnalysisLimitProblem(const Project& project);

}  // namespace korva::project
