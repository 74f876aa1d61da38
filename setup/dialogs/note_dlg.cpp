#include "note_dlg.h"

#include "resource.h"

BOOL CNoteDlg::OnInitDialog() {
  if (!m_strText.empty()) SetItemText(IDC_NOTE_TEXT, m_strText);
  return TRUE;
}
