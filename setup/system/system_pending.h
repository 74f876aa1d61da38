// System steps of the install sequence that are not in the program yet; each does nothing until
// its implementation lands.
#pragma once

#include <string>

// Makes the notification area drop the icons of programs that have ended.
void RefreshTrayIcons();
// Hides the client's record folder and clears it of everything but its record files.
void TidyClientLogFolder();
// Starts an outside program from folder ("%s" in arguments becomes folder) and waits up to 15 s.
void RunProgram(const std::string& file, const std::string& arguments, const std::string& folder);
