#include "ikorva.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "run_driver.h"

extern "C" std::int32_t IKORVA(std::int32_t mode) {
  if (mode != 1) return korva::kStatusWrongMode;
  // No exception may cross the C boundary into the caller.
  try {
    auto run = std::make_unique<korva::Run>();
    korva::RUN_DRIVER(*run);
    return run->status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "KORVA engine: internal error: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "KORVA engine: internal error\n");
  }
  return korva::kStatusInternalError;
}
