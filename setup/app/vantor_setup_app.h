// The setup program's entry: one copy at a time, the start flags from the whole command-line tail,
// the wizard run modally, and an exit status that says how the run ended.
#pragma once

#include <string>

class CVantorSetupApp {
 public:
  // Returns the process exit status (exit_codes.h).
  int InitInstance(const std::string& commandLine);
};
