// The small notice window shown while the packages are prepared. Modeless; deleting the object
// closes the window.
#pragma once

#include <string>

#include "dialog.h"

class CNoteDlg : public win32::Dialog {
 public:
  // Empty: the template's own line stays.
  std::string m_strText;

 protected:
  BOOL OnInitDialog() override;
};
