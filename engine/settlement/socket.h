// Load-settlement curves of shafts whose tip lies in rock or an intermediate geomaterial:
// strong rock (types 4 and 7), decomposed rock or gravel (type 5) and weak rock (type 6).
//
// Units inside: ft, tons (2000 lb) and lb/ft2; EL and Ec in ton/ft2; unit weights lb/ft3.
// The curves come out in the user's units (English: tons and in; SI: kN and m).
#pragma once

#include <array>
#include <vector>

#include "capacity/profile.h"
#include "frame/streams.h"
#include "settlement/weak_rock.h"

namespace korva {

// What a socket method reads of the current pass.
struct SocketInput {
  const SoilProfile* profile = nullptr;  // layers with rounded depths and estimated values
  int tip = 0;            // index of the tip layer in profile->layers (0 = top layer)
  double D = 0;           // stem diameter, ft
  double DSTART = 0;      // first stem diameter of the run, ft (socket diameters scale by D/DSTART)
  double L = 0;           // shaft length (design length of the pass), ft
  double Ec = 0;          // concrete modulus, ton/ft2
  double WTD = 0;         // water table depth, ft
  bool si = false;        // SI project: results in kN and m, slump in m
  double QS = 0;          // ultimate side resistance of the shaft, tons
  double QB = 0;          // ultimate base resistance of the shaft, tons
  // Side resistance accumulated from the head down to the bottom of each layer (tons); for
  // the tip layer down to the tip. Same size as profile->layers.
  std::vector<double> Qs;
  double QsW = 0;         // side resistance reached at the first weak-rock step, tons
  // The depth step at the tip: its depth (ft), its distance below the top of the tip layer
  // (ft) and its vertical effective stress (lb/ft2).
  double z_tip = 0, zrel_tip = 0, sigv_tip = 0;
};

// Fifteen points of a head load-settlement curve: head load, head movement, and a second
// load and movement column (strong rock: the upward walk with the upper curve family).
struct SocketCurve {
  std::array<std::array<double, 4>, 15> rows{};
};

// Strong rock (types 4, 7): elastic socket with settlement influence factors (Pells and
// Turner / FHWA), the soil above following normalised side-transfer curves.
SocketCurve ROCK_SOCKET(const SocketInput& in);

// Decomposed rock or gravel (type 5): closed-form compressible pile with a linear part and
// a base-yield part.
SocketCurve DECOMPOSED_ROCK_SOCKET(const SocketInput& in);

// Weak rock (type 6): side and base transfer of the weak-rock method. `sums` must have been
// cleared by the caller just before.
SocketCurve WEAK_ROCK_SOCKET(const SocketInput& in, WeakRockSums& sums);

// The report heading every socket curve starts with (stream 6).
void write_socket_heading(Streams& out);

// Lookup helpers exposed for tests.
double rock_mass_ratio(double rqd);                     // Em/Ei from RQD
double influence_factor(double ec_em, double ls_ds);    // settlement influence factor I
double side_ratio(int family, bool sand, double w_d);  // mobilised side ratio at w/D

}  // namespace korva
