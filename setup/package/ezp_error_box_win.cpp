#include <windows.h>

#include "ezp_reader.h"

// Modal on the calling thread, without an owner window: the installer's worker shows it and waits.
void ShowEzpExtractError(const std::string& entryName) {
  MessageBoxA(nullptr, entryName.c_str(), "EZP解压错误!", MB_ICONERROR);
}
