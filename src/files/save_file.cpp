// Saves that cannot lose data: a temporary file beside the target, every
// write and the close checked, fsync, then one rename over the target. Where
// the folder takes no new file, the old bytes change only once the room for
// all the new ones is reserved. The kernel judges the name as it would for a
// plain open of it: the save writes the file that open names, or nothing.
#include "files/save_file.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// Links followed before a name counts as a loop: the kernel's own limit.
constexpr int zq_link_hops = 40;
// The kernel's switch for links in shared folders (see zq_may_follow).
constexpr char zq_protected_links_setting[] = "/proc/sys/fs/protected_symlinks";
// The temporary is the target's name behind a '.', then a '.' and letters
// and digits drawn at random, so a leftover never takes the target's name.
constexpr char zq_temp_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t zq_temp_letters = 6;
constexpr size_t zq_temp_extra = 2 + zq_temp_letters;
// Drawn names that may all be taken already before the folder counts as
// refusing a temporary.
constexpr int zq_temp_draws = 100;

// The signals a save's own writes can raise (see zq_hold_signals).
constexpr std::array zq_write_signals = {SIGXFSZ, SIGPIPE};

// The one save in progress. Every name in it is relative to folder, so the
// length of the folder's own path never matters.
struct zq_save_state {
  FILE* file = nullptr;
  char name[PATH_MAX] = {};      // as given, for the messages
  int folder = -1;               // the folder that holds the target, or -1
  char base[NAME_MAX + 1] = {};  // the target in it: name with its links followed
  char temp[NAME_MAX + 1] = {};  // the temporary in it; empty when there is none
  int target = -1;               // written in place: the target, open; else -1
  char* content = nullptr;       // written in place: the new content, in memory
  size_t content_size = 0;
  mode_t mode = 0;  // the permission bits the temporary gets
  sigset_t kept_mask = {};
  // Which of zq_write_signals were pending already when the save began.
  std::array<bool, zq_write_signals.size()> write_signal_pending = {};
};
zq_save_state zq_save;

// Signals that the save's own writes raise wait until the save is over, and
// the failed write reports them instead: SIGXFSZ when a file-size limit is
// met, SIGPIPE when the reader of a FIFO goes away. While a temporary
// exists, so do the signals that would end the process and leave the
// temporary behind.

void zq_hold_signals(bool temporary) {
  sigset_t pending;
  if (sigpending(&pending) != 0) sigemptyset(&pending);
  sigset_t held;
  sigemptyset(&held);
  for (size_t i = 0; i < zq_write_signals.size(); ++i) {
    zq_save.write_signal_pending[i] = sigismember(&pending, zq_write_signals[i]) == 1;
    sigaddset(&held, zq_write_signals[i]);
  }
  if (temporary)
    for (const int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&held, signal_number);
  sigprocmask(SIG_BLOCK, &held, &zq_save.kept_mask);
}

// Takes each write signal that the save raised, then restores the mask.
void zq_release_signals() {
  sigset_t pending;
  if (sigpending(&pending) != 0) sigemptyset(&pending);
  for (size_t i = 0; i < zq_write_signals.size(); ++i) {
    if (zq_save.write_signal_pending[i] || sigismember(&pending, zq_write_signals[i]) != 1) continue;
    sigset_t raised;
    sigemptyset(&raised);
    sigaddset(&raised, zq_write_signals[i]);
    int taken = 0;
    sigwait(&raised, &taken);
  }
  sigprocmask(SIG_SETMASK, &zq_save.kept_mask, nullptr);
}

// The folder named by the first length bytes of path (up to its last '/';
// the current one for none), looked up from the folder at. Opened for reading
// where it can be, so that it can be synced; one that cannot be read still
// holds names. It is opened as "path/.", so that a link naming it stands in
// the middle of the name, where the kernel follows links as it does for the
// whole name, not at its end, where its rule for shared folders applies.
int zq_open_folder(int at, const char* path, size_t length) {
  char folder[PATH_MAX] = ".";
  if (length + 1 >= sizeof folder) return -1;
  if (length > 0) {
    std::memcpy(folder, path, length);
    folder[length] = '.';
    folder[length + 1] = '\0';
  }
  const int descriptor = openat(at, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0 || errno != EACCES) return descriptor;
  return openat(at, folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Whether the kernel guards links in shared folders. A setting that cannot
// be read counts as on, the safe side; so does anything but a file there,
// which is opened without waiting.
bool zq_links_protected() {
  const int setting = open(zq_protected_links_setting, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (setting < 0) return true;
  struct stat info;
  char value[8] = {};
  const ssize_t length =
      fstat(setting, &info) == 0 && S_ISREG(info.st_mode) ? read(setting, value, sizeof value - 1) : -1;
  close(setting);
  return length <= 0 || value[0] != '0';
}

// The kernel's rule for a link in the folder: in a sticky folder that
// everyone may write (such as /tmp), a link is followed only when it belongs
// to the follower or to the folder's owner, so that no one can plant a link
// there that makes another user write a file of their own.
bool zq_may_follow(int folder, const struct stat& link) {
  if (link.st_uid == geteuid()) return true;
  struct stat shared;
  if (fstat(folder, &shared) != 0) return false;
  if ((shared.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
  return shared.st_uid == link.st_uid;
}

// How the save's own following of a name ended.
enum class zq_walk {
  ENDED,      // folder and base are found (the file itself need not exist)
  UNREACHED,  // a folder on the way cannot be opened or searched
  REFUSED,    // a loop, a link the rule refuses, no last part or too long a one
};

// folder and base := where the file that name stands for is, a symbolic link
// in its last part followed hop by hop (that file need not exist yet), each
// relative link from the folder that holds it and each judged by the
// kernel's rule. Each link is read through a descriptor of its own, so the
// one judged is the one followed, even if another takes its name meanwhile.
// Once ENDED, found tells whether that file exists, and here is what it is.
// A relative name starts from the current folder, whatever an earlier walk
// left open.
zq_walk zq_find_target(const char* name, bool& found, struct stat& here) {
  if (zq_save.folder >= 0) close(zq_save.folder);
  zq_save.folder = -1;
  const bool links_protected = zq_links_protected();
  char link[PATH_MAX];
  const char* path = name;
  for (int hop = 0; hop <= zq_link_hops; ++hop) {
    const char* slash = std::strrchr(path, '/');
    const size_t folder_length = slash ? static_cast<size_t>(slash - path + 1) : 0;
    const char* base = path + folder_length;
    if (base[0] == '\0' || std::strlen(base) >= sizeof zq_save.base) return zq_walk::REFUSED;
    const int folder = zq_open_folder(zq_save.folder >= 0 ? zq_save.folder : AT_FDCWD, path, folder_length);
    if (zq_save.folder >= 0) close(zq_save.folder);
    zq_save.folder = folder;
    if (folder < 0) return zq_walk::UNREACHED;
    std::strcpy(zq_save.base, base);
    const int entry = openat(folder, zq_save.base, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    found = entry >= 0;
    if (entry < 0) return errno == ENOENT ? zq_walk::ENDED : zq_walk::UNREACHED;
    bool followed = fstat(entry, &here) == 0;
    if (followed && !S_ISLNK(here.st_mode)) {
      close(entry);
      return zq_walk::ENDED;
    }
    followed = followed && (!links_protected || zq_may_follow(folder, here));
    const ssize_t length = followed ? readlinkat(entry, "", link, sizeof link) : -1;
    close(entry);
    if (length < 0 || length >= static_cast<ssize_t>(sizeof link)) return zq_walk::REFUSED;
    link[length] = '\0';
    path = link;
  }
  return zq_walk::REFUSED;
}

// The mode a plain open gives a new file; the umask is read by setting it.
mode_t zq_new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A new file beside the target under a name not taken yet: its descriptor,
// or -1 with the folder's errno.
int zq_make_temp() {
  const size_t kept = std::min(std::strlen(zq_save.base), size_t{NAME_MAX} - zq_temp_extra);
  for (int draw = 0; draw < zq_temp_draws; ++draw) {
    char letters[zq_temp_letters + 1] = {};
    for (size_t i = 0; i < zq_temp_letters; ++i)
      letters[i] = zq_temp_alphabet[arc4random_uniform(sizeof zq_temp_alphabet - 1)];
    std::snprintf(zq_save.temp, sizeof zq_save.temp, ".%.*s.%s", static_cast<int>(kept), zq_save.base,
                  letters);
    const int descriptor =
        openat(zq_save.folder, zq_save.temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) return descriptor;
    if (errno != EEXIST) break;
  }
  zq_save.temp[0] = '\0';
  return -1;
}

void zq_drop_temp(int descriptor) {
  close(descriptor);
  unlinkat(zq_save.folder, zq_save.temp, 0);
  zq_save.temp[0] = '\0';
}

// Gives the temporary the old file's owner and group, then its mode: owner
// first, since a change of owner may clear the set-ID bits. Whether the
// kernel let both hold is read back, so that a saver who may give a file away
// but then not change its mode (no CAP_FOWNER), or whose set-group-ID bit the
// kernel drops, learns it before any content is written.
bool zq_take_attributes(int descriptor, const struct stat& old) {
  struct stat made;
  if (fstat(descriptor, &made) != 0) return false;
  if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
      fchown(descriptor, old.st_uid, old.st_gid) != 0)
    return false;
  return fchmod(descriptor, zq_save.mode) == 0 && fstat(descriptor, &made) == 0 &&
         (made.st_mode & 07777) == zq_save.mode;
}

// The stream to a temporary that will replace the target (old, or nullptr
// for a new file). nullptr when there is none; in_place then tells whether
// the target may be written in place instead: where the folder takes no new
// file, or where the new file could not take the old one's owner and mode.
FILE* zq_open_temp(const struct stat* old, bool& in_place) {
  in_place = false;
  zq_hold_signals(true);
  const int descriptor = zq_make_temp();
  if (descriptor < 0) {
    in_place = errno == EACCES || errno == EPERM;
    zq_release_signals();
    return nullptr;
  }
  zq_save.mode = old ? old->st_mode & 07777 : zq_new_file_mode();
  const bool taken = !old || zq_take_attributes(descriptor, *old);
  in_place = !taken;
  FILE* file = taken ? fdopen(descriptor, "w") : nullptr;
  if (!file) {
    zq_drop_temp(descriptor);
    zq_release_signals();
  }
  return file;
}

// The stream for a save written in place into target, which gathers the
// content in memory. A FIFO was opened without waiting, so that one no one
// reads failed at once; from here on a full pipe waits for its reader as
// usual.
FILE* zq_open_in_place(int target) {
  const int flags = fcntl(target, F_GETFL);
  FILE* file = flags >= 0 && fcntl(target, F_SETFL, flags & ~O_NONBLOCK) == 0
                   ? open_memstream(&zq_save.content, &zq_save.content_size)
                   : nullptr;
  if (!file) {
    close(target);
    return nullptr;
  }
  zq_save.target = target;
  return file;
}

// What the kernel's own lookup of the name finds, every link of it followed
// (40 in all) and judged by the kernel's rules, as a plain open of the name
// would: false where it refuses the name (a loop, a folder that cannot be
// searched, a link it will not follow). A name it finds missing may still be
// a new file; otherwise exists is true and found tells which file it is.
bool zq_resolve_as_kernel(bool& exists, struct stat& found) {
  const int resolved = open(zq_save.name, O_PATH | O_CLOEXEC);
  exists = false;
  if (resolved < 0) return errno == ENOENT;
  exists = fstat(resolved, &found) == 0;
  close(resolved);
  return exists;
}

bool zq_same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

// Whether the saver may act on any file as its owner (CAP_FOWNER).
bool zq_acts_as_any_owner() {
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  return syscall(SYS_capget, &header, data) == 0 &&
         (data[CAP_TO_INDEX(CAP_FOWNER)].effective & CAP_TO_MASK(CAP_FOWNER)) != 0;
}

// Whether the two descriptors lie on one mount. Where the kernel does not
// tell, the devices of the two files do.
bool zq_same_mount(int a, int b) {
  struct statx first;
  struct statx second;
  if (statx(a, "", AT_EMPTY_PATH, STATX_MNT_ID, &first) != 0 ||
      statx(b, "", AT_EMPTY_PATH, STATX_MNT_ID, &second) != 0)
    return false;
  if ((first.stx_mask & second.stx_mask & STATX_MNT_ID) != 0) return first.stx_mnt_id == second.stx_mnt_id;
  return first.stx_dev_major == second.stx_dev_major && first.stx_dev_minor == second.stx_dev_minor;
}

// Whether a rename in its folder may replace the target old, open as
// target; where not, it is written in place, as a plain open writes it. The
// sticky bit lets only the file's owner, the folder's, or one who may act as
// any owner replace it. A folder that only takes new names (append-only)
// keeps the temporary too, and a file mounted on its own is no name a
// rename can replace.
bool zq_may_replace(int target, const struct stat& old) {
  struct stat folder;
  if (fstat(zq_save.folder, &folder) != 0 || !zq_same_mount(zq_save.folder, target)) return false;
  int flags = 0;
  if (ioctl(zq_save.folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL)) return false;
  const uid_t saver = geteuid();
  return !(folder.st_mode & S_ISVTX) || old.st_uid == saver || folder.st_uid == saver ||
         zq_acts_as_any_owner();
}

// Opens an existing target for writing as a plain open would, only without
// truncating it (O_CREAT lets the kernel refuse another user's file or FIFO
// in a shared folder). Without waiting first, so that a FIFO no one reads
// fails at once; only a lease that its holder must give up first is waited
// for, as a plain open waits.
int zq_open_existing(int folder, const char* name, int flags) {
  flags |= O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC;
  const int target = openat(folder, name, flags | O_NONBLOCK, 0666);
  if (target >= 0 || errno != EWOULDBLOCK) return target;
  return openat(folder, name, flags, 0666);
}

// One try of zq_open_route. changed tells that the name no longer named what
// the kernel found at first: a file was removed or put in its place meanwhile.
//
// The kernel judges the name first; the save's own following then finds the
// folder for the temporary, and must find no file where the kernel found
// none. Where it reaches the file the kernel found, the target opens there,
// and a regular file is replaced. Where it cannot reach it (a link of
// /proc/self/fd to a pipe, or to a file that no name, or none the saver may
// search, leads to), no temporary can go beside it: the target opens by its
// name, the kernel following the links that the save could not, and it is
// written in place.
FILE* zq_try_route(bool& changed) {
  changed = false;
  bool exists = false;
  struct stat found {};
  bool found_here = false;
  struct stat here {};
  if (!zq_resolve_as_kernel(exists, found)) return nullptr;
  const zq_walk walk = zq_find_target(zq_save.name, found_here, here);
  if (walk == zq_walk::REFUSED || (!exists && walk != zq_walk::ENDED)) return nullptr;
  bool in_place = false;
  if (!exists) {
    changed = found_here;
    return changed ? nullptr : zq_open_temp(nullptr, in_place);
  }
  const bool reached = walk == zq_walk::ENDED && found_here && zq_same_file(here, found);
  const int target = reached ? zq_open_existing(zq_save.folder, zq_save.base, O_NOFOLLOW)
                             : zq_open_existing(AT_FDCWD, zq_save.name, 0);
  if (target < 0) return nullptr;
  struct stat old;
  changed = fstat(target, &old) != 0 || !zq_same_file(old, found);
  if (changed) {
    close(target);
    return nullptr;
  }
  if (reached && S_ISREG(old.st_mode) && zq_may_replace(target, old)) {
    FILE* file = zq_open_temp(&old, in_place);
    if (file || !in_place) {
      close(target);
      return file;
    }
  }
  return zq_open_in_place(target);
}

// The stream for the new content, by the route the target allows: a
// temporary for a regular file or a new one, the target itself for anything
// else and where no temporary can be had. nullptr when neither route is open.
// A name that changed under the save is looked at once more: where a file
// was removed meanwhile, the plain open made it again, empty, and the second
// look saves over that.
FILE* zq_open_route() {
  bool changed = false;
  FILE* file = zq_try_route(changed);
  if (file || !changed) return file;
  return zq_try_route(changed);
}

// The temporary is synced before the rename, so that no crash can put a cut
// file in place of the old one. The mode is set here (once more, over an old
// file's: the writes of one without CAP_FSETID clear the set-ID bits, which
// the saver was let set already).
bool zq_close_temp(FILE* file) {
  const int descriptor = fileno(file);
  bool saved = std::fflush(file) == 0 && !std::ferror(file) && fchmod(descriptor, zq_save.mode) == 0 &&
               fsync(descriptor) == 0;
  saved = std::fclose(file) == 0 && saved;
  saved = saved && renameat(zq_save.folder, zq_save.temp, zq_save.folder, zq_save.base) == 0;
  if (saved) {
    // The rename reaches the disk with the folder. The new file is in place
    // already: a failure here could at worst bring the old file back whole
    // after a crash, and is not reported.
    fsync(zq_save.folder);
  } else {
    unlinkat(zq_save.folder, zq_save.temp, 0);
  }
  zq_save.temp[0] = '\0';
  zq_release_signals();
  return saved;
}

bool zq_write_all(int descriptor, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t written = write(descriptor, bytes, count);
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

// Whether a file of size bytes stays within the file-size limit. The
// reservation alone does not tell: it checks the limit only where the file
// grows.
bool zq_within_size_limit(off_t size) {
  rlimit limit;
  return getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
         (limit.rlim_cur == RLIM_INFINITY || static_cast<rlim_t>(size) <= limit.rlim_cur);
}

// A regular file gets room for its whole new length, within the file-size
// limit, before the first old byte changes, so a full disk or the limit
// fails with the old file as it was; then the new bytes go over the old ones
// and the rest is cut off. A device or a pipe takes the bytes and has
// nothing to sync.
bool zq_close_in_place(FILE* file) {
  bool saved = !std::ferror(file);
  saved = std::fclose(file) == 0 && saved;
  zq_hold_signals(false);
  const int target = zq_save.target;
  const auto size = static_cast<off_t>(zq_save.content_size);
  struct stat info;
  saved = saved && fstat(target, &info) == 0;
  if (saved && S_ISREG(info.st_mode)) {
    saved = zq_within_size_limit(size) && (size == 0 || posix_fallocate(target, 0, size) == 0) &&
            zq_write_all(target, zq_save.content, zq_save.content_size) && ftruncate(target, size) == 0 &&
            fsync(target) == 0;
  } else {
    saved = saved && zq_write_all(target, zq_save.content, zq_save.content_size);
  }
  saved = close(target) == 0 && saved;
  zq_save.target = -1;
  zq_release_signals();
  return saved;
}

// What a save leaves open once it is over, whichever way it ended.
void zq_end_save() {
  if (zq_save.target >= 0) close(zq_save.target);
  if (zq_save.folder >= 0) close(zq_save.folder);
  std::free(zq_save.content);
  zq_save.target = -1;
  zq_save.folder = -1;
  zq_save.content = nullptr;
  zq_save.content_size = 0;
}

}  // namespace

FILE* zq_save_open(const char* name) {
  std::snprintf(zq_save.name, sizeof zq_save.name, "%s", name);
  zq_save.file = zq_open_route();
  if (!zq_save.file) {
    std::printf("Write file: cannot open %s\n", zq_save.name);
    zq_end_save();
  }
  return zq_save.file;
}

int zq_save_close() {
  FILE* file = zq_save.file;
  zq_save.file = nullptr;
  const bool saved = zq_save.target >= 0 ? zq_close_in_place(file) : zq_close_temp(file);
  if (!saved) std::printf("Write file: cannot write %s\n", zq_save.name);
  zq_end_save();
  return saved ? 1 : 0;
}
