#pragma once
// Saving a file as a whole. The bytes go to a temporary file beside the
// target, which replaces the target only once everything is written and
// flushed; a failure at any point leaves an existing file exactly as it was
// and no temporary file behind. The temporary file has no name while it is
// written where the file system allows it, so a program killed meanwhile
// leaves nothing; elsewhere a save removes the temporaries that killed
// saves of the same target left behind.
#include <string>

// Writes `bytes` to `path`, replacing the file if it exists (a symbolic link
// is followed and the file it names is replaced, or created when the link
// dangles; the replaced file's permissions are kept). An existing file that the process may not write is
// not replaced. Returns true on success; on failure returns false and, if
// `error` is given, stores a short description there.
bool SaveFileAtomically(const std::string& path, const std::string& bytes, std::string* error);
