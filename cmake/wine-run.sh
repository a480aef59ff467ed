#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix (created once, under a lock), with
# Wine's null graphics driver so that real windows work without a display.
# QUILLET_WINEPREFIX overrides the prefix; the default sits next to this build's test files.
set -euo pipefail

prefix=${QUILLET_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  # CTest runs the emulator from the test's working folder inside the build tree; walk up to
  # the folder holding CMakeCache.txt.
  dir=$PWD
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=${TMPDIR:-/tmp}
  prefix=$dir/wineprefix
fi

# Wine names Unix files in the locale's character set: under the C locale a name outside
# ASCII cannot be created at all.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

if [ ! -f "$prefix/.quillet-ready" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/.quillet-ready" ]; then
      # The server must not keep the lock or the caller's output pipes open: CTest would wait
      # for them after every test, and later callers would block on the lock.
      wineserver -p60 </dev/null >/dev/null 2>&1 9>&- || true
      wine wineboot -i </dev/null >/dev/null 2>&1 9>&-
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
      # Wine links Desktop, Documents and the like to the user's home folder. The tests need a
      # sealed profile: the folder picker starts from the Desktop, so whatever the home folder
      # holds would change what they see, and a listing written to the default destination
      # must not land among the user's own files.
      for link in "$prefix"/drive_c/users/*/*; do
        if [ -L "$link" ]; then rm -f "$link" && mkdir "$link"; fi
      done
      # The desktop process wineboot started still has no display driver: start afresh.
      wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
      wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
      touch "$prefix/.quillet-ready"
    fi
  ) 9>"$prefix.lock"
fi

# A persistent server, detached from our output, so that each test ends as soon as it exits.
# wineserver exits 0 when it started a new server and non-zero when one is already running.
if wineserver -p60 </dev/null >/dev/null 2>&1; then
  # Wine's background processes (services, device manager) start with a new server's first
  # client and keep its output open until the server ends: let a detached client start them,
  # or CTest waits about 60 s after the test whose run began a new server.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi

# Wine itself now and then fails a test program that did nothing wrong: the process never
# starts (not a line of output), or Wine's loader trips glibc's assertion as the process ends
# ("Inconsistency detected by ld.so: dl-fini.c"). A test program (run with --gtest_filter)
# that fails in one of those two ways is run once more, saying so; any other failure stands.
case " $* " in
  *" --gtest_filter="*) ;;
  *) exec wine "$@" ;;
esac
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for attempt in 1 2; do
  set +e
  wine "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  [ "$status" -eq 0 ] && exit 0
  if [ "$attempt" -eq 1 ] && { [ ! -s "$log" ] || grep -q 'Inconsistency detected by ld.so' "$log"; }; then
    echo "wine-run.sh: Wine failed to start or to end the program (status $status); running it once more"
    continue
  fi
  exit "$status"
done
