#include "prepare_packages.h"

#include <windows.h>

#include "ezp_file.h"
#include "ezp_lzma.h"
#include "resource.h"
#include "setup_text.h"

namespace {

void ReportDamage(WizardOps& wizard, int code) {
  wizard.NoteDamagedPackage();
  wizard.ShowMessage(CorruptPackageMessage(code), nullptr, MB_ICONERROR);
}

bool UnpackResource(int id, const std::string& target) {
  HMODULE self = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(self, MAKEINTRESOURCEA(id), "ezp");
  HGLOBAL loaded = found ? ::LoadResource(self, found) : nullptr;  // part of the image: nothing to free
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) {
    // A file of an earlier run must not stand in for the missing resource: an old index would
    // describe another store.
    (void)EzpTruncateFile(target);
    return false;
  }
  return UnpackEzpResource(bytes, ::SizeofResource(self, found), target);
}

}  // namespace

void PreparePackages(WizardOps& wizard, EzpIndex& setupIndex, EzpIndex& winIndex) {
  const struct {
    int id;
    std::string path;
  } resources[] = {
      {IDR_EZP_SETUPDIR_INDEX, wizard.SetupIndexPath()},
      {IDR_EZP_SETUPDIR_STORE, wizard.SetupStorePath()},
      {IDR_EZP_WINDIR_INDEX, wizard.WinIndexPath()},
      {IDR_EZP_WINDIR_STORE, wizard.WinStorePath()},
  };
  int code = 0;
  for (const auto& r : resources) {
    if (!UnpackResource(r.id, r.path)) ReportDamage(wizard, code);
    ++code;
  }
  if (!LoadEzpIndex(wizard.SetupIndexPath(), setupIndex)) ReportDamage(wizard, 4);
  if (!LoadEzpIndex(wizard.WinIndexPath(), winIndex)) ReportDamage(wizard, 5);
}
