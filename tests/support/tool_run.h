#pragma once

// tactoria-cli run as a separate process, as a user runs it from a shell.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/riff_builder.h"

namespace tactoria::testing {

struct ToolRun {
  int status = -1;  // -1 when the tool did not exit normally
  std::string out, err;
};

// Every argument is quoted, so names such as "loop[3].wav" reach the tool as written.
inline ToolRun RunTool(const std::vector<std::string>& args) {
  const TempDir scratch;
  std::string command = "'" TACTORIA_CLI_PATH "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  const int status = std::system((command + " >" + (scratch / "out") + " 2>" + (scratch / "err")).c_str());
  const auto text = [&](const char* name) {
    const Bytes bytes = ReadBytes(scratch / name);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text("out"), text("err")};
}

}  // namespace tactoria::testing
