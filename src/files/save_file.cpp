// Saves that cannot lose data: a temporary file beside the target, every
// write and the close checked, fsync, then one rename over the target.
#include "files/save_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

// Links followed before a name counts as a loop: the kernel's own limit.
constexpr int zq_link_hops = 40;
// The temporary is the target's name behind a '.', then this; mkostemp
// fills in the X's, so a leftover never takes the target's own name.
constexpr char zq_temp_suffix[] = ".XXXXXX";
constexpr size_t zq_temp_extra = 1 + sizeof zq_temp_suffix - 1;

// The one save in progress.
struct zq_save_state {
  FILE* file;
  char name[PATH_MAX];    // as given, for the messages
  char target[PATH_MAX];  // the file replaced: name with its links followed
  char temp[PATH_MAX];    // empty while the file is written in place
  mode_t mode;            // the permission bits the new file gets
  sigset_t kept_mask;
  bool xfsz_pending;
};
zq_save_state zq_save;

// Signals that would end the process wait until the save is over, so that
// no temporary is left behind; SIGXFSZ too, which a file-size limit raises
// in the middle of a write: the failed write reports it instead.
void zq_hold_signals() {
  sigset_t pending;
  zq_save.xfsz_pending = sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
  sigset_t held;
  sigemptyset(&held);
  for (const int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGXFSZ}) sigaddset(&held, signal_number);
  sigprocmask(SIG_BLOCK, &held, &zq_save.kept_mask);
}

void zq_release_signals() {
  sigset_t pending;
  if (!zq_save.xfsz_pending && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1) {
    sigset_t xfsz;
    sigemptyset(&xfsz);
    sigaddset(&xfsz, SIGXFSZ);
    int taken = 0;
    sigwait(&xfsz, &taken);
  }
  sigprocmask(SIG_SETMASK, &zq_save.kept_mask, nullptr);
}

// target := name, with a symbolic link in its last part followed to the
// file it names, hop by hop (that file need not exist yet). false for a loop
// or a name too long.
bool zq_follow_links(const char* name) {
  char* target = zq_save.target;
  if (std::snprintf(target, PATH_MAX, "%s", name) >= PATH_MAX) return false;
  for (int hop = 0; hop < zq_link_hops; ++hop) {
    char link[PATH_MAX];
    const ssize_t length = readlink(target, link, sizeof link);
    if (length < 0) return errno == EINVAL || errno == ENOENT;
    if (length >= static_cast<ssize_t>(sizeof link)) return false;
    link[length] = '\0';
    // A relative link is read from the directory that holds it.
    const char* slash = std::strrchr(target, '/');
    const size_t directory = link[0] == '/' || !slash ? 0 : static_cast<size_t>(slash - target + 1);
    if (directory + static_cast<size_t>(length) >= PATH_MAX) return false;
    std::memcpy(target + directory, link, static_cast<size_t>(length) + 1);
  }
  return false;
}

// temp := the target's directory, '.', the target's name (cut so that the
// temporary's name still fits a directory entry) and the suffix. false when
// the target has no name of its own or the whole does not fit.
bool zq_make_temp_name() {
  const char* slash = std::strrchr(zq_save.target, '/');
  const char* base = slash ? slash + 1 : zq_save.target;
  const size_t kept = std::min(std::strlen(base), size_t{NAME_MAX} - zq_temp_extra);
  if (kept == 0) return false;
  const int written =
      std::snprintf(zq_save.temp, PATH_MAX, "%.*s.%.*s%s", static_cast<int>(base - zq_save.target),
                    zq_save.target, static_cast<int>(kept), base, zq_temp_suffix);
  return written > 0 && written < PATH_MAX;
}

// The mode a plain open gives a new file; the umask is read by setting it.
mode_t zq_new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

void zq_drop_temp(int descriptor) {
  close(descriptor);
  unlink(zq_save.temp);
  zq_save.temp[0] = '\0';
}

// The temporary that will replace name: its descriptor, or -1 when the file
// is to be written in place (temp then empty).
int zq_open_temp(const char* name) {
  zq_save.temp[0] = '\0';
  if (!zq_follow_links(name)) return -1;
  struct stat old;
  const bool exists = lstat(zq_save.target, &old) == 0;
  if (!exists && errno != ENOENT) return -1;
  // Only a regular file is replaced, and only one that a plain open could
  // write: a write-protected file stays protected.
  if (exists && (!S_ISREG(old.st_mode) || faccessat(AT_FDCWD, zq_save.target, W_OK, AT_EACCESS) != 0))
    return -1;
  if (!zq_make_temp_name()) return -1;
  const int descriptor = mkostemp(zq_save.temp, O_CLOEXEC);
  if (descriptor < 0) {
    zq_save.temp[0] = '\0';
    return -1;
  }
  zq_save.mode = exists ? old.st_mode & 07777 : zq_new_file_mode();
  // The new file belongs to whoever owned the old one; where that cannot
  // be, the old file is written in place rather than taken from its owner.
  struct stat made;
  if (exists && (fstat(descriptor, &made) != 0 || ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
                                                   fchown(descriptor, old.st_uid, old.st_gid) != 0))) {
    zq_drop_temp(descriptor);
    return -1;
  }
  return descriptor;
}

// The rename reaches the disk with the directory that holds the file. The
// new file is in place already: a failure here could at worst bring the old
// file back whole after a crash, and is not reported.
void zq_sync_directory() {
  const char* slash = std::strrchr(zq_save.target, '/');
  char directory[PATH_MAX] = ".";
  if (slash)
    std::snprintf(directory, sizeof directory, "%.*s", static_cast<int>(slash - zq_save.target + 1),
                  zq_save.target);
  const int descriptor = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

}  // namespace

FILE* zq_save_open(const char* name) {
  std::snprintf(zq_save.name, sizeof zq_save.name, "%s", name);
  zq_hold_signals();
  const int descriptor = zq_open_temp(name);
  zq_save.file = descriptor >= 0 ? fdopen(descriptor, "w") : std::fopen(name, "w");
  if (!zq_save.file && descriptor >= 0) zq_drop_temp(descriptor);
  if (!zq_save.file) {
    std::printf("Write file: cannot open %s\n", zq_save.name);
    zq_release_signals();
  }
  return zq_save.file;
}

int zq_save_close() {
  FILE* file = zq_save.file;
  zq_save.file = nullptr;
  const int descriptor = fileno(file);
  const bool replacing = zq_save.temp[0] != '\0';
  struct stat info;
  // Synced before the rename, so that no crash can put a cut file in place
  // of the old one. A device or pipe written in place has nothing to sync.
  bool saved = std::fflush(file) == 0 && !std::ferror(file) &&
               (!replacing || fchmod(descriptor, zq_save.mode) == 0) && fstat(descriptor, &info) == 0 &&
               (!S_ISREG(info.st_mode) || fsync(descriptor) == 0);
  saved = std::fclose(file) == 0 && saved;
  if (replacing) {
    saved = saved && std::rename(zq_save.temp, zq_save.target) == 0;
    if (saved) {
      zq_sync_directory();
    } else {
      unlink(zq_save.temp);
    }
  }
  if (!saved) std::printf("Write file: cannot write %s\n", zq_save.name);
  zq_release_signals();
  return saved ? 1 : 0;
}
