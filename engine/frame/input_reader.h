// Reading the project file into the engine's input and converting it to internal units.
#pragma once

#include <string>
#include <vector>

#include "list_reader.h"
#include "project_input.h"

namespace korva {

class Streams;

// Reads the whole read sequence of a project file. The title is echoed to the report,
// the t-z file and the console as soon as it is read. Applies the defaults of the
// length-variation and design-chart records and the "no limit" rule for TRANLM and QMAX.
// Values stay in the user's units. Throws InputError for malformed files and for projects
// beyond the engine's tables.
ProjectInput read_project(ListReader& in, Streams& out);

// Writes the run header of the report (design load or depth, uplift factor, number of
// layers, water table), console first, as soon as these values are read.
void write_run_header(const ProjectInput& p, Streams& out);

// Converts an input read in the user's units into the engine's internal units
// (ft, tons, lb/ft3, lb/ft2, moduli in tons/ft2) and fills the derived values.
ProjectInput to_internal_units(const ProjectInput& raw);

// Checks the converted project against the engine's tables; throws InputError.
void check_limits(const ProjectInput& p);

// Writes the two-diameter warning when a design depth lies below the last layer
// (called by read_project after the layers, on values in the user's units).
void warn_profile_depth(const ProjectInput& p, Streams& out);

// The quantities of a converted project that the engine's bounds depend on.
limits::Extent extent_of(const ProjectInput& p);

}  // namespace korva
