// A process table of the test's own making, counting what the scans ask of it.
#pragma once

#include <string>
#include <vector>

#include "process_scan.h"

struct FakeProcess {
  std::uint32_t id = 0;
  std::string exe;  // first module
  std::vector<std::string> modules;
  bool openable = true;          // OpenProcess succeeds
  bool path_readable = true;     // the first-module path can be read
  bool modules_listable = true;  // EnumProcessModules succeeds
  bool terminated = false;
};

class FakeProcessTable : public ProcessTable {
 public:
  std::vector<FakeProcess> processes;
  bool privilege = true;
  int module_reads = 0;

  FakeProcess& Add(std::uint32_t id, const std::string& exe, std::vector<std::string> extra_modules = {}) {
    FakeProcess p;
    p.id = id;
    p.exe = exe;
    p.modules.push_back(exe);
    for (auto& m : extra_modules) p.modules.push_back(m);
    processes.push_back(p);
    return processes.back();
  }
  FakeProcess* Find(std::uint32_t id) {
    for (auto& p : processes) {
      if (p.id == id && !p.terminated) return &p;
    }
    return nullptr;
  }
  std::vector<std::uint32_t> Terminated() const {
    std::vector<std::uint32_t> ids;
    for (const auto& p : processes) {
      if (p.terminated) ids.push_back(p.id);
    }
    return ids;
  }

  std::vector<std::uint32_t> ProcessIds() override {
    std::vector<std::uint32_t> ids;
    for (const auto& p : processes) {
      if (!p.terminated) ids.push_back(p.id);
    }
    return ids;
  }
  std::optional<std::string> FirstModulePath(std::uint32_t id, std::uint32_t) override {
    FakeProcess* p = Find(id);
    if (!p || !p->openable) return std::nullopt;
    return p->path_readable ? p->exe : std::string();
  }
  std::optional<std::vector<std::string>> ModulePaths(std::uint32_t id) override {
    FakeProcess* p = Find(id);
    if (!p || !p->openable) return std::nullopt;
    ++module_reads;
    if (!p->modules_listable) return std::vector<std::string>();
    return p->modules;
  }
  bool TerminateIf(std::uint32_t id, const std::function<bool(const std::string&)>& still_the_one) override {
    FakeProcess* p = Find(id);
    if (!p || !p->openable) return false;
    if (!still_the_one(p->path_readable ? p->exe : std::string())) return false;
    p->terminated = true;
    return true;
  }
  bool EnableDebugPrivilege() override { return privilege; }
};
