// Exit status of the setup program, for administrators who roll it out unattended.
#pragma once

enum SetupExitCode : int {
  kExitFinished = 0,         // the finished page was reached with every file written
  kExitUnexpected = 1,       // the wizard could not be shown, or ended in a way not listed here
  kExitDamagedPackage = 2,   // a damaged-package message (code 0 to 5) or an extract error was shown
  kExitFileAbandoned = 3,    // a file that could not be written was abandoned with "是"
  kExitCancelled = 4,        // the user cancelled the installation
  kExitDirectoryAccess = 5,  // "目录访问失败!请使用管理员权限运行本程序"
  kExitAlreadyRunning = 6,   // another copy of the setup program is running; this one did nothing
};
