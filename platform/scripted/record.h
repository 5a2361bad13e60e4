#pragma once
// The test exe's side of the script folder shared with the end-to-end test driver (the folder
// named by the environment variable CD_SCRIPT_DIR; tests/e2e/README.md describes the files).
#include <string>

namespace platform::scripted {

// The script folder, without a trailing backslash; empty when CD_SCRIPT_DIR is not set.
const std::wstring& ScriptDir();

// Appends one line (UTF-8) to calls.log in the script folder and flushes it at once, so the
// driver sees every recorded call even if the program then hangs or ends.
void Record(std::wstring line);

}  // namespace platform::scripted
