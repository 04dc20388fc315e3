// Replacing a file without ever leaving it half written.
#pragma once

#include <string>
#include <string_view>

namespace korva::project {

// Writes `bytes` to a temporary file beside `path`, syncs it to disk and renames it over
// `path` only when everything was written: a failure (missing folder, no permission, disk
// full) leaves an existing file byte for byte and no temporary file behind. The new file
// keeps the permissions of the file it replaces. Throws std::runtime_error
// ("Cannot write <path>: <system message>") on failure.
void WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace korva::project
