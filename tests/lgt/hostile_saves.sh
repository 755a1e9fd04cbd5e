#!/usr/bin/env bash
# The native lgt against what a hostile user or a careless system does to a save: set-id bits,
# capabilities and attributes that change under it, links that lead elsewhere than their text
# says, a watcher reading the new file, a reader locking the file.
# Usage: hostile_saves.sh LGT [--sanitized]  (a sanitizer cannot be preloaded after)
set -u
folder=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$folder"' EXIT
source "$(dirname "$0")/../support/checks.sh"
use_lgt "$(realpath "$1")"
cd "$folder" || exit 1
chmod 755 "$folder"
fresh() { printf 'LightingSet "x"\r\nsuninclination 1\r\nsunrotation 2\r\n' >"$1"; }

# The set-id bits survive the write that clears them, for their owner (root keeps them anyway).
mkdir own && chown 65534:65534 own 2>/dev/null
for mode in 4644 6775 2755; do
  fresh "own/$mode.lgt" && chown 65534:65534 "own/$mode.lgt" 2>/dev/null && chmod "$mode" "own/$mode.lgt"
  check "mode $mode is kept" bash -c "setpriv --reuid=65534 --regid=65534 --clear-groups \
    '$program' set own/$mode.lgt --name y && test \$(stat -c %a own/$mode.lgt) = $mode"
done

# A link's text that leads elsewhere than the system goes: /proc/self/fd/N of a deleted file.
fresh victim.lgt
check "a link to a deleted file is refused" bash -c "exec 3<victim.lgt; rm victim.lgt
  ! '$program' write /proc/self/fd/3 --sun-inclination 1 --sun-rotation 2 2>err &&
  grep -q 'cannot follow the link' err"
check "and no file is made in its place" test -z "$(ls | grep victim)"

# Links in the folders count toward the system's 40: 1 folder link and a chain of 40 is one
# too many, the chain alone is not.
mkdir p40 && fresh p40/target.lgt && ln -s p40 dl40
previous=target.lgt
for i in {1..40}; do ln -s "$previous" "p40/l$i" && previous=l$i; done
check "41 links counting a folder's are refused" refused "cannot follow the link" \
  lgt write dl40/l40 --sun-inclination 1 --sun-rotation 2
check "40 are followed" lgt write p40/l40 --sun-inclination 1 --sun-rotation 3

if [[ ${2:-} != --sanitized ]]; then
  # Shims: linkat failing as without /proc before Linux 6.10, and (with NO_TMPFILE set) a file
  # system without unnamed files, so that the new file is named; a write that reports a new file
  # others may read; an attribute whose size grows by one between the look at its size and its
  # read.
  cat >shims.c <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
int openat(int folder, const char *path, int flags, ...) {
  static int (*real)(int, const char *, int, ...);
  if (!real) real = dlsym(RTLD_NEXT, "openat");
  va_list rest;
  va_start(rest, flags);
  const mode_t mode = va_arg(rest, mode_t);
  va_end(rest);
  if ((flags & O_TMPFILE) == O_TMPFILE && getenv("NO_TMPFILE")) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) && getenv("NO_TMPFILE"))
    dprintf(2, "created %d %s\n", (int)getpid(), path);
  return real(folder, path, flags, mode);
}
int linkat(int from, const char *old, int to, const char *new, int flags) {
  (void)from, (void)old, (void)to, (void)new, (void)flags;
  errno = ENOENT;
  return -1;
}
ssize_t write(int fd, const void *bytes, size_t size) {
  static ssize_t (*real)(int, const void *, size_t);
  if (!real) real = dlsym(RTLD_NEXT, "write");
  struct stat status;
  if (fd > 2 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 077))
    real(2, "exposed\n", 8);
  return real(fd, bytes, size);
}
ssize_t fgetxattr(int fd, const char *name, void *value, size_t size) {
  static ssize_t (*real)(int, const char *, void *, size_t);
  if (!real) real = dlsym(RTLD_NEXT, "fgetxattr");
  ssize_t got = real(fd, name, value, size);
  return size == 0 && got >= 0 ? got + 1 : got;
}
C
  cc -shared -fPIC -o shims.so shims.c -ldl
  fresh secret.lgt && chmod 600 secret.lgt && setfattr -n user.note -v kept secret.lgt
  check "a named new file is readable by no one else until it is complete" \
    bash -c "LD_PRELOAD=./shims.so '$program' set secret.lgt --name y 2>err && ! grep -q exposed err"
  check "and is given the old mode" test "$(stat -c %a secret.lgt)" = 600
  check "a named new file whose write fails is removed" bash -c "cp secret.lgt cut.lgt
    trap '' XFSZ  # (its messages through a pipe, which the size limit does not cut)
    NO_TMPFILE=1 LD_PRELOAD=./shims.so prlimit --fsize=1 '$program' set cut.lgt --name z 2>&1 | cat >err
    [ \${PIPESTATUS[0]} = 1 ] && test -z \"\$(ls | grep '^~lgt')\""
  check "its name is the process's first, ~lgt<process id>.00.tmp" \
    grep -qE '^created ([0-9]+) ~lgt\1\.00\.tmp$' err
  check "an attribute that grows while read is kept" bash -c "grep -q '\"y\"' secret.lgt &&
    test \"\$(getfattr --only-values -n user.note secret.lgt 2>/dev/null)\" = kept"
fi

if [ "$(id -u)" -eq 0 ]; then
  fresh capable.lgt && setcap cap_net_raw+ep capable.lgt
  check "a file capability is kept" bash -c "'$program' set capable.lgt --name y &&
    getcap capable.lgt | grep -q cap_net_raw"

  # A user who may only read the file cannot keep its owner from changing it.
  fresh shared.lgt && chmod 644 shared.lgt
  setpriv --reuid=65534 --regid=65534 --clear-groups flock -x shared.lgt sleep 30 &>/dev/null &
  sleep 0.3
  check "a reader's lock does not stop a set" lgt set shared.lgt --name y
fi

finish
