// ezp_bench: the installer's package work on a payload shaped like the shipped setupdir package,
// measured in one run against the floor of the same work done by standard tools.
//
//   floor      xz --format=lzma -d of the store stream into a file, then openssl dgst -sm3 of it
//   fresh      unpack both streams, load the index, verify and extract every entry into an empty folder
//   identical  the same again over the tree the fresh run left (nothing may be written)
//   reextract  load, verify and extract over the identical tree, the unpacked files already in place
//
// Each is run --runs times, interleaved; the table shows median and minimum wall time. Peak memory of a
// fresh run is measured in a child process.
//
// Usage: ezp_bench [--runs N] [--dir DIR]   (DIR keeps the generated package between runs)

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ezp_file.h"
#include "ezp_lzma.h"
#include "ezp_packer.h"
#include "ezp_reader.h"
#include "payload_gen.h"
#include "tool_text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Bump when the generator changes, so that a kept package is made anew.
constexpr int kPayloadVersion = 1;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "ezp_bench: %s\n", what.c_str());
  std::exit(1);
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Die("cannot read " + path.string());
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) Die("cannot write " + path.string());
}

struct PackageFacts {
  std::size_t entries = 0;
  std::uint64_t store_size = 0;
  std::uint64_t largest = 0;
  std::uint64_t compressed = 0;
};

// Generates, packs and compresses the payload unless DIR already holds this version of it.
PackageFacts PreparePayload(const fs::path& dir) {
  fs::create_directories(dir);
  fs::path stamp = dir / "payload.version";
  PackageFacts facts;
  std::vector<GeneratedFile> files = GenerateSuitePayload();
  facts.entries = files.size();
  for (const auto& f : files) {
    facts.store_size += f.content.size();
    facts.largest = std::max<std::uint64_t>(facts.largest, f.content.size());
  }
  std::ifstream in(stamp);
  int version = 0;
  if (!(in >> version) || version != kPayloadVersion || !fs::exists(dir / "setupdir.ezps.lzma")) {
    std::fprintf(stderr, "ezp_bench: generating and compressing the payload (once)...\n");
    EzpPackWriter writer;
    std::string error;
    if (!writer.Begin((dir / "setupdir.ezpi").string(), (dir / "setupdir.ezps").string(), &error)) Die(error);
    for (const auto& f : files) {
      if (!writer.Add(f.name, f.content.data(), f.content.size(), &error)) Die(error);
    }
    if (!writer.Finish(&error)) Die(error);
    for (const char* name : {"setupdir.ezpi", "setupdir.ezps"}) {
      std::vector<std::uint8_t> plain = ReadAll(dir / name), packed;
      if (!EncodeLzmaAlone(plain.data(), plain.size(), &packed)) Die("compression failed");
      WriteAll(dir / (std::string(name) + ".lzma"), packed);
    }
    std::ofstream(stamp) << kPayloadVersion << "\n";
  }
  facts.compressed = fs::file_size(dir / "setupdir.ezps.lzma");
  return facts;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

int Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) Die("cannot start " + argv[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) Die("wait failed");
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// The floor: decode with xz into a file, then hash the file with openssl.
double RunFloor(const fs::path& dir) {
  std::string out = (dir / "floor.out").string();
  std::string script = "xz --format=lzma -dc '" + (dir / "setupdir.ezps.lzma").string() + "' > '" + out +
                       "' && openssl dgst -sm3 '" + out + "' > /dev/null";
  auto t0 = std::chrono::steady_clock::now();
  if (Spawn({"sh", "-c", script}) != 0) Die("the floor command failed: " + script);
  return Seconds(std::chrono::steady_clock::now() - t0);
}

struct PipelineResult {
  std::size_t written = 0;
  std::size_t unchanged = 0;
};

// What the installer does with one package: unpack both resources to its temporary folder, load
// the index, and extract every entry below the destination.
PipelineResult RunPipeline(const fs::path& dir, const fs::path& temp, const fs::path& dest, bool unpack) {
  fs::create_directories(temp);
  std::string index_path = (temp / "setupdir.ezpi").string();
  if (unpack) {
    for (const char* name : {"setupdir.ezpi", "setupdir.ezps"}) {
      // The resource: in the installer a pointer into the mapped program, here read into memory.
      std::vector<std::uint8_t> resource = ReadAll(dir / (std::string(name) + ".lzma"));
      if (!UnpackEzpResource(resource.data(), static_cast<std::uint32_t>(resource.size()), (temp / name).string())) {
        Die(std::string("unpack failed: ") + name);
      }
    }
  }
  EzpIndex index;
  if (!LoadEzpIndex(index_path, index)) Die("load failed");
  PipelineResult result;
  std::string dest_text = dest.string() + "/";
  for (const auto& [name, entry] : index) {
    std::string target;
    fs::path target_path;
    std::string relative;
    if (!JoinEzpEntryPath("", name, &relative) || !Cp936ToPath(relative, &target_path)) Die("bad name");
    target_path = dest / target_path;
    fs::create_directories(target_path.parent_path());
    bool written = false;
    if (ExtractEzpEntryStatus(name, index, target_path.string(), &written) != EzpStatus::kOk) Die("extract failed");
    (written ? result.written : result.unchanged)++;
  }
  return result;
}

struct Series {
  std::vector<double> runs;
  double Median() const {
    std::vector<double> v = runs;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  double Min() const { return *std::min_element(runs.begin(), runs.end()); }
};

// The peak resident size of this process's own image (VmHWM). The kernel's per-child maximum is no
// use here: a spawned child starts in the parent's address space and inherits its high-water mark.
long PeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

int ChildFresh(const fs::path& dir, const fs::path& where) {
  RunPipeline(dir, where / "temp", where / "dest", true);
  std::ofstream(where / "peak-kib") << PeakKib() << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  fs::path dir = "bench-data";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
    else if (a == "--child-fresh" && i + 2 < argc) return ChildFresh(argv[i + 1], argv[i + 2]);
    else Die("usage: ezp_bench [--runs N] [--dir DIR]");
  }
  SetEzpExtractErrorHandler([](const std::string& name) { Die("bad entry " + name); });
  dir = fs::absolute(dir);
  PackageFacts facts = PreparePayload(dir);

  Series floor, fresh, identical, reextract;
  std::size_t identical_written = 0, fresh_written = 0;
  fs::path work = dir / "work";
  for (int r = 0; r < runs; ++r) {
    fs::remove_all(work);
    fs::remove(dir / "floor.out");
    floor.runs.push_back(RunFloor(dir));

    auto t0 = std::chrono::steady_clock::now();
    PipelineResult f = RunPipeline(dir, work / "temp", work / "dest", true);
    fresh.runs.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    fresh_written = f.written;

    t0 = std::chrono::steady_clock::now();
    PipelineResult same = RunPipeline(dir, work / "temp", work / "dest", true);
    identical.runs.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    identical_written += same.written;

    t0 = std::chrono::steady_clock::now();
    PipelineResult again = RunPipeline(dir, work / "temp", work / "dest", false);
    reextract.runs.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    identical_written += again.written;
  }

  // Peak memory of one fresh run, alone in its own process.
  fs::path child_dir = dir / "child";
  fs::remove_all(child_dir);
  if (Spawn({"/proc/self/exe", "--child-fresh", dir.string(), child_dir.string()}) != 0) Die("child failed");
  long peak_kib = -1;
  std::ifstream(child_dir / "peak-kib") >> peak_kib;
  if (peak_kib <= 0) Die("no peak memory figure from the child");
  fs::remove_all(child_dir);
  fs::remove_all(work);
  fs::remove(dir / "floor.out");
  double peak_mib = peak_kib / 1024.0;
  double budget_mib = (facts.store_size + 2 * facts.largest) / 1048576.0 + 16;

  const double mb = 1e6;
  std::printf("payload: %zu entries, %.1f MB, largest %.2f MB, store stream %.2f MB (LZMA-alone, 0x5D, 16 MiB)\n",
              facts.entries, facts.store_size / mb, facts.largest / mb, facts.compressed / mb);
  std::printf("runs: %d each, interleaved\n\n", runs);
  std::printf("%-40s %10s %10s\n", "", "median s", "min s");
  std::printf("%-40s %10.3f %10.3f\n", "floor: xz -d + openssl dgst -sm3 + write", floor.Median(), floor.Min());
  std::printf("%-40s %10.3f %10.3f\n", "fresh: unpack, load, verify, extract", fresh.Median(), fresh.Min());
  std::printf("%-40s %10.3f %10.3f\n", "identical tree, with unpack", identical.Median(), identical.Min());
  std::printf("%-40s %10.3f %10.3f\n", "identical tree, unpacked files in place", reextract.Median(),
              reextract.Min());
  double fresh_vs_floor = fresh.Median() / floor.Median();
  double re_vs_fresh = reextract.Median() / fresh.Median();
  double same_vs_fresh = identical.Median() / fresh.Median();
  std::printf("\nfresh / floor                              %.2f  (goal <= 1.10)\n", fresh_vs_floor);
  std::printf("identical (unpacked files in place) / fresh %.2f  (goal <= 0.60)\n", re_vs_fresh);
  std::printf("identical (with unpack) / fresh            %.2f\n", same_vs_fresh);
  std::printf("files written: fresh %zu, identical runs %zu (goal 0)\n", fresh_written, identical_written);
  std::printf("peak memory of a fresh run: %.1f MiB (budget: store + 2 x largest + 16 MiB = %.1f MiB)\n", peak_mib,
              budget_mib);
  bool ok = fresh_vs_floor <= 1.10 && re_vs_fresh <= 0.60 && identical_written == 0 && peak_mib <= budget_mib;
  std::printf("%s\n", ok ? "all goals met" : "GOALS NOT MET");
  return ok ? 0 : 3;
}
