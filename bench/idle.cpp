// CPU use of the whole program idling on the main menu with no hub, thread by thread,
// over 10 s (after 6 s for the intro). The main thread draws on the dummy driver's
// software renderer; the link and store threads should use next to nothing.
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

// Per thread: name and CPU ticks (user + system).
std::map<int, std::pair<std::string, long>> thread_ticks(pid_t pid) {
  std::map<int, std::pair<std::string, long>> out;
  std::string dir = "/proc/" + std::to_string(pid) + "/task";
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    FILE* f = fopen((dir + "/" + e->d_name + "/stat").c_str(), "r");
    if (!f) continue;
    char buf[1024] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    char* open = strchr(buf, '(');
    char* close = strrchr(buf, ')');
    if (!open || !close) continue;
    std::string name(open + 1, close);
    char* p = close + 2;
    long utime = 0, stime = 0;
    for (int field = 3; field < 14 && p; ++field) p = strchr(p, ' ') + 1;
    sscanf(p, "%ld %ld", &utime, &stime);
    out[atoi(e->d_name)] = {name, utime + stime};
  }
  closedir(d);
  return out;
}

}  // namespace

int main() {
  std::string scratch = (std::filesystem::temp_directory_path() / "hxm-idle-XXXXXX").string();
  if (!mkdtemp(scratch.data())) return 1;
  for (const char* part : {"font", "sound"})
    std::filesystem::create_directory_symlink(std::string(HXM_RUN_DIR) + "/" + part,
                                              scratch + "/" + part);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(scratch.c_str()) != 0) _exit(100);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(HXM_RUN_DIR "/hxm", "hxm", (char*)nullptr);
    _exit(101);
  }
  sleep(6);
  auto before = thread_ticks(pid);
  sleep(10);
  auto after = thread_ticks(pid);
  kill(pid, SIGINT);
  waitpid(pid, nullptr, 0);
  std::filesystem::remove_all(scratch);
  double hz = (double)sysconf(_SC_CLK_TCK), total = 0;
  printf("%-8s %-16s %s\n", "thread", "name", "% of one core over 10 s");
  for (auto& [tid, t] : after) {
    long used = t.second - (before.count(tid) ? before[tid].second : 0);
    double pct = used / hz / 10.0 * 100.0;
    total += pct;
    printf("%-8d %-16s %6.2f%s\n", tid, t.first.c_str(), pct, tid == pid ? "  (main: draws)" : "");
  }
  printf("whole process: %.2f %%\n", total);
  return 0;
}
