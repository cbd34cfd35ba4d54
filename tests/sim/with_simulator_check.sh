#!/usr/bin/env bash
# scripts/with_simulator without a display: the program it runs is handed the
# simulator's links, its exit status comes back, and the simulator and its
# session folder are gone once it has ended, also when the script itself is
# killed outright.
#
#   with_simulator_check.sh <repository root> <build dir>
set -u
root="$1"; build="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
status=0
fail() { echo "FAIL: $*"; status=1; }
# Process ids of simulators serving a socket in the scratch folder.
simulators() {
  for cmdline in /proc/[0-9]*/cmdline; do
    line="$({ tr '\0' ' ' < "$cmdline"; } 2>/dev/null)"
    case "$line" in *"--hid-socket $scratch/"*) basename "$(dirname "$cmdline")" ;; esac
  done
}

# The program sees the links and the stand-in; its status is the script's.
"$root/scripts/with_simulator" "$build" sh -c '
  [ -S "$JQSIM_HID_SOCKET" ] && [ -c "$JQSIM_SERIAL_PORT" ] && [ "$JQSIM_TCP_PORT" -gt 0 ] || exit 9
  case "$LD_PRELOAD" in *libjqsim_hid_client.so*) exit 3 ;; esac
  exit 8' > "$scratch/out" 2>&1
rc=$?
cat "$scratch/out"
[ "$rc" = 3 ] || fail "the program's status came back as $rc, not 3"
[ -z "$(simulators)" ] || fail "the simulator outlived the program"
if compgen -G "$scratch/jqsim.*" > /dev/null; then fail "the session folder was left behind"; fi

# Killed outright, the script cannot stop the simulator: it ends by itself.
"$root/scripts/with_simulator" "$build" sleep 30 > "$scratch/out2" 2>&1 &
script=$!
for _ in $(seq 100); do grep -q "^  UART" "$scratch/out2" && break; sleep 0.1; done
[ -n "$(simulators)" ] || fail "no simulator started"
program="$(ps -o pid=,comm= --ppid "$script" | awk '$2 == "sleep" {print $1}')"
kill -KILL "$script"
for _ in $(seq 30); do [ -z "$(simulators)" ] && break; sleep 0.1; done
[ -z "$(simulators)" ] || fail "the simulator outlived its killed script"
[ -n "$program" ] && kill "$program" 2>/dev/null  # the program, orphaned
wait "$script" 2>/dev/null

# Without a build the script says what is missing and starts nothing.
"$root/scripts/with_simulator" "$scratch/no-build" true > "$scratch/out3" 2>&1
rc=$?
[ "$rc" = 1 ] && grep -q "jqsim-cli is missing" "$scratch/out3" || fail "a missing build gave $rc: $(cat "$scratch/out3")"
exit "$status"
