// The chaos driver from the command line: hxm-chaos [--seed N] [--frames N | --minutes M]
// [--dir DIR] [--verbose]. Runs in a scratch directory beside the run directory's font and
// sounds unless --dir names one; a failure prints its seed and exits 1.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/chaos.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  ChaosConfig config;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!strcmp(a, "--seed") && v) config.seed = (uint32_t)strtoul(v, nullptr, 10), ++i;
    else if (!strcmp(a, "--frames") && v) config.frames = atoll(v), ++i;
    else if (!strcmp(a, "--minutes") && v) config.wall_seconds = atof(v) * 60.0, ++i;
    else if (!strcmp(a, "--dir") && v) config.directory = v, ++i;
    else if (!strcmp(a, "--verbose")) config.verbose = true;
    else {
      fprintf(stderr, "usage: hxm-chaos [--seed N] [--frames N | --minutes M] [--dir DIR] [--verbose]\n");
      return 2;
    }
  }
  std::string scratch;
  if (config.directory.empty()) {
    char tmpl[] = "/tmp/hxm-chaos-XXXXXX";
    if (!mkdtemp(tmpl)) {
      perror("hxm-chaos: mkdtemp");
      return 2;
    }
    scratch = tmpl;
    std::error_code ec;
    fs::create_directory_symlink(fs::path(HXM_RUN_DIR) / "font", fs::path(scratch) / "font", ec);
    fs::create_directory_symlink(fs::path(HXM_RUN_DIR) / "sound", fs::path(scratch) / "sound", ec);
    config.directory = scratch;
  }
  ChaosReport report;
  bool ok = run_chaos(config, report);
  printf("%s\n", chaos_summary(config, report).c_str());
  if (!scratch.empty()) {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  return ok ? 0 : 1;
}
