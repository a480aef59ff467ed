/*
 * latency_fs SOURCE MOUNTPOINT DELAY_MS [FUSE OPTIONS]
 *
 * A read-only FUSE passthrough of SOURCE that waits DELAY_MS milliseconds before the first
 * read of every opened folder: one wait per folder listing, as a network share pays one
 * round trip per listing. Everything else (lookups, attributes, file reads) passes straight
 * through, and the kernel keeps lookups and attributes cached for an hour, so the delay is
 * the only cost that differs from a warm local tree. Requests are served by many threads,
 * so listings made in parallel wait in parallel, as they would on a real share.
 *
 * Options after DELAY_MS go to libfuse (for example -o ro,fsname=NAME).
 * At unmount it prints "listings: N" on stderr: the number of delayed listings, which tells
 * how many folder listings the programs run on the mount made.
 */
#define FUSE_USE_VERSION 312
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static int source_fd = -1;
static struct timespec listing_delay;
static atomic_ulong listings;
/* Requests served at once: more than any walker here reads in parallel. */
static const unsigned serving_threads = 64;

/* One open folder: its stream, and whether its listing has paid the delay yet. */
struct folder {
  DIR* dir;
  int delayed;
};

/* FUSE paths start with '/'; the *at calls want them relative to SOURCE. */
static const char* relative(const char* path) {
  while (*path == '/') path++;
  return *path ? path : ".";
}

static void* latency_init(struct fuse_conn_info* conn, struct fuse_config* cfg) {
  (void)conn;
  cfg->use_ino = 1;
  cfg->entry_timeout = 3600;
  cfg->attr_timeout = 3600;
  cfg->negative_timeout = 3600;
  return NULL;
}

static void latency_destroy(void* private_data) {
  (void)private_data;
  fprintf(stderr, "listings: %lu\n", atomic_load(&listings));
}

static int latency_getattr(const char* path, struct stat* info, struct fuse_file_info* fi) {
  (void)fi;
  return fstatat(source_fd, relative(path), info, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

static int latency_readlink(const char* path, char* buffer, size_t size) {
  if (size == 0) return -EINVAL;
  ssize_t length = readlinkat(source_fd, relative(path), buffer, size - 1);
  if (length < 0) return -errno;
  buffer[length] = '\0';
  return 0;
}

static int latency_opendir(const char* path, struct fuse_file_info* fi) {
  struct folder* folder = calloc(1, sizeof *folder);
  if (!folder) return -ENOMEM;
  int fd = openat(source_fd, relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 || !(folder->dir = fdopendir(fd))) {
    int error = errno;
    if (fd >= 0) close(fd);
    free(folder);
    return -error;
  }
  fi->fh = (uint64_t)(uintptr_t)folder;
  return 0;
}

static int latency_readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                           struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
  (void)path;
  (void)offset;
  (void)flags;
  struct folder* folder = (struct folder*)(uintptr_t)fi->fh;
  if (!folder->delayed) {
    folder->delayed = 1;
    atomic_fetch_add(&listings, 1);
    /* Sleep out the whole delay even when a signal interrupts it. */
    struct timespec left = listing_delay;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
  }
  /* The whole listing goes out in one call (offset 0 to the filler): libfuse keeps it and
     serves the kernel's later reads of this handle from it. */
  rewinddir(folder->dir);
  errno = 0;
  struct dirent* entry;
  while ((entry = readdir(folder->dir)) != NULL) {
    struct stat info;
    memset(&info, 0, sizeof info);
    info.st_ino = entry->d_ino;
    info.st_mode = (mode_t)DTTOIF(entry->d_type);
    if (fill(buffer, entry->d_name, &info, 0, 0) != 0) return -ENOMEM;
  }
  return errno ? -errno : 0;
}

static int latency_releasedir(const char* path, struct fuse_file_info* fi) {
  (void)path;
  struct folder* folder = (struct folder*)(uintptr_t)fi->fh;
  closedir(folder->dir);
  free(folder);
  return 0;
}

static int latency_open(const char* path, struct fuse_file_info* fi) {
  if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  int fd = openat(source_fd, relative(path), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}

static int latency_read(const char* path, char* buffer, size_t size, off_t offset,
                        struct fuse_file_info* fi) {
  (void)path;
  ssize_t count = pread((int)fi->fh, buffer, size, offset);
  return count < 0 ? -errno : (int)count;
}

static int latency_release(const char* path, struct fuse_file_info* fi) {
  (void)path;
  close((int)fi->fh);
  return 0;
}

static int latency_statfs(const char* path, struct statvfs* info) {
  (void)path;
  return fstatvfs(source_fd, info) == 0 ? 0 : -errno;
}

static const struct fuse_operations operations = {
    .init = latency_init,
    .destroy = latency_destroy,
    .getattr = latency_getattr,
    .readlink = latency_readlink,
    .opendir = latency_opendir,
    .readdir = latency_readdir,
    .releasedir = latency_releasedir,
    .open = latency_open,
    .read = latency_read,
    .release = latency_release,
    .statfs = latency_statfs,
};

int main(int argc, char* argv[]) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s SOURCE MOUNTPOINT DELAY_MS [FUSE OPTIONS]\n", argv[0]);
    return 2;
  }
  char* end = NULL;
  errno = 0;
  long delay_ms = strtol(argv[3], &end, 10);
  if (errno || end == argv[3] || *end || delay_ms < 0 || delay_ms > 60000) {
    fprintf(stderr, "%s: DELAY_MS must be 0 to 60000, not '%s'\n", argv[0], argv[3]);
    return 2;
  }
  listing_delay.tv_sec = delay_ms / 1000;
  listing_delay.tv_nsec = (delay_ms % 1000) * 1000000L;

  source_fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (source_fd < 0) {
    fprintf(stderr, "%s: cannot open %s: %s\n", argv[0], argv[1], strerror(errno));
    return 1;
  }

  /* libfuse gets the program name and the remaining options; it always runs in the
     foreground (the caller puts it in the background and unmounts it). */
  char* fuse_argv[argc];
  int fuse_argc = 0;
  fuse_argv[fuse_argc++] = argv[0];
  for (int i = 4; i < argc; i++) fuse_argv[fuse_argc++] = argv[i];
  fuse_argv[fuse_argc] = NULL;
  struct fuse_args args = FUSE_ARGS_INIT(fuse_argc, fuse_argv);

  struct fuse* fuse = fuse_new(&args, &operations, sizeof operations, NULL);
  if (!fuse) return 1;
  int result = 1;
  if (fuse_mount(fuse, argv[2]) == 0) {
    struct fuse_session* session = fuse_get_session(fuse);
    if (fuse_set_signal_handlers(session) == 0) {
      /* libfuse's default of 10 threads would cap how many delayed listings can overlap;
         keep them all alive between bursts rather than starting new ones. */
      struct fuse_loop_config* config = fuse_loop_cfg_create();
      fuse_loop_cfg_set_max_threads(config, serving_threads);
      fuse_loop_cfg_set_idle_threads(config, serving_threads);
      result = fuse_loop_mt(fuse, config) == 0 ? 0 : 1;
      fuse_loop_cfg_destroy(config);
      fuse_remove_signal_handlers(session);
    }
    fuse_unmount(fuse);
  }
  fuse_destroy(fuse);
  fuse_opt_free_args(&args);
  return result;
}
