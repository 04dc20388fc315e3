#include "dynlib.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace korva {

void TDynamicLibrary::Open() {
  if (handle_) return;
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0) throw EFileNotFoundError();
  // RTLD_LOCAL keeps the engine's symbols private; every run loads fresh engine data.
  handle_ = ::dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = ::dlerror();
    throw EInitError(why ? why : "");
  }
}

void* TDynamicLibrary::FindProcedure(const char* name) const {
  if (!handle_) throw EDLLNotOpenError();
  ::dlerror();
  return ::dlsym(handle_, name);
}

void TDynamicLibrary::Close() {
  if (!handle_) return;
  ::dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace korva
