// A shared library loaded by absolute path at run time.
#pragma once

#include <stdexcept>
#include <string>

namespace korva {

// Errors of loading a library and looking up its exports.
class EDLLError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EInitError : public EDLLError {
 public:
  explicit EInitError(const std::string& detail = {})
      : EDLLError("Library failed to properly initialize"), detail_(detail) {}
  const std::string& detail() const { return detail_; }

 private:
  std::string detail_;
};
class EFileNotFoundError : public EDLLError {
 public:
  EFileNotFoundError() : EDLLError("Library could not be located") {}
};
class EDLLNotOpenError : public EDLLError {
 public:
  EDLLNotOpenError() : EDLLError("Library is not open") {}
};

class TDynamicLibrary {
 public:
  explicit TDynamicLibrary(std::string file_name) : FileName(std::move(file_name)) {}
  TDynamicLibrary(const TDynamicLibrary&) = delete;
  TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;
  ~TDynamicLibrary() { Close(); }

  // Loads the library unless it is loaded. Throws EFileNotFoundError when the file does
  // not exist and EInitError when it exists but cannot be loaded.
  void Open();
  // Address of an export, or nullptr. Throws EDLLNotOpenError when nothing is loaded.
  void* FindProcedure(const char* name) const;
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  const std::string FileName;

 private:
  void* handle_ = nullptr;
};

}  // namespace korva
