/* Times a program's start-up from outside: spawns it, waits for the X server to
 * map a top-level window whose title contains a given text, waits a while longer,
 * reads the resident memory of the process (and of any process under it), then
 * asks the window to close.
 *
 *   window_timer TITLE IDLE_MS PROGRAM [ARGS...]
 *
 * Prints one line: "map_ms=<ms> rss_kib=<KiB> anon_kib=<KiB> file_kib=<KiB>".
 * Built on the host (cc -O2 window_timer.c -lX11) by scripts/bench-startup.sh.
 *
 * It listens for MapNotify on the root window instead of polling the window list:
 * xdotool's --sync polls twice a second, coarser than the differences measured. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* The window's title, UTF-8 (_NET_WM_NAME, which Wine sets) or else WM_NAME. */
static int TitleContains(Display* display, Window window, const char* wanted) {
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  int found = 0;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                         &data) == Success &&
      data != NULL) {
    found = strstr((const char*)data, wanted) != NULL;
    XFree(data);
    if (found) return 1;
  }
  char* name = NULL;
  if (XFetchName(display, window, &name) && name != NULL) {
    found = strstr(name, wanted) != NULL;
    XFree(name);
  }
  return found;
}

struct Memory {
  long rss, anon, file;
};

static void AddStatusOf(int pid, struct Memory* total) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/status", pid);
  FILE* f = fopen(path, "r");
  if (f == NULL) return;
  char line[256];
  long value;
  while (fgets(line, sizeof line, f) != NULL) {
    if (sscanf(line, "VmRSS: %ld", &value) == 1) total->rss += value;
    if (sscanf(line, "RssAnon: %ld", &value) == 1) total->anon += value;
    if (sscanf(line, "RssFile: %ld", &value) == 1) total->file += value;
  }
  fclose(f);
}

static int ParentOf(int pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/stat", pid);
  FILE* f = fopen(path, "r");
  if (f == NULL) return -1;
  char buffer[1024];
  size_t n = fread(buffer, 1, sizeof buffer - 1, f);
  fclose(f);
  buffer[n] = '\0';
  const char* close = strrchr(buffer, ')'); /* the name may hold spaces */
  int parent = -1;
  if (close == NULL || sscanf(close + 1, " %*c %d", &parent) != 1) return -1;
  return parent;
}

/* The process and everything started under it (Wine runs the program in the
 * process it was started as; a helper it starts would be counted too). */
static struct Memory MemoryOfTree(int root) {
  struct Memory total = {0, 0, 0};
  AddStatusOf(root, &total);
  DIR* proc = opendir("/proc");
  if (proc == NULL) return total;
  struct dirent* entry;
  while ((entry = readdir(proc)) != NULL) {
    int pid = atoi(entry->d_name);
    if (pid <= 0 || pid == root) continue;
    for (int p = ParentOf(pid), depth = 0; p > 1 && depth < 16; p = ParentOf(p), ++depth) {
      if (p == root) {
        AddStatusOf(pid, &total);
        break;
      }
    }
  }
  closedir(proc);
  return total;
}

static void CloseWindow(Display* display, Window window) {
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

/* Waits up to `ms` for the child; true when it ended. */
static int WaitChild(pid_t child, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (waitpid(child, NULL, WNOHANG) == child) return 1;
    usleep(10000);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s TITLE IDLE_MS PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  const char* title = argv[1];
  const int idleMs = atoi(argv[2]);
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "window_timer: cannot open the display\n");
    return 1;
  }
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = NowMs();
  pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[3], argv + 3);
    _exit(127);
  }

  Window found = None;
  double mapped = 0;
  const int fd = ConnectionNumber(display);
  while (found == None) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect &&
          TitleContains(display, event.xmap.window, title)) {
        mapped = NowMs();
        found = event.xmap.window;
        break;
      }
    }
    if (found != None) break;
    if (NowMs() - start > 60000 || waitpid(child, NULL, WNOHANG) == child) {
      fprintf(stderr, "window_timer: no window titled \"%s\" appeared\n", title);
      kill(child, SIGKILL);
      return 1;
    }
    struct pollfd p = {fd, POLLIN, 0};
    poll(&p, 1, 100);
  }

  usleep((useconds_t)idleMs * 1000);
  const struct Memory memory = MemoryOfTree(child);
  printf("map_ms=%.1f rss_kib=%ld anon_kib=%ld file_kib=%ld\n", mapped - start, memory.rss, memory.anon,
         memory.file);
  fflush(stdout);

  CloseWindow(display, found);
  if (!WaitChild(child, 10000)) {
    fprintf(stderr, "window_timer: the program did not end after its window was closed\n");
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
  }
  XCloseDisplay(display);
  return 0;
}
