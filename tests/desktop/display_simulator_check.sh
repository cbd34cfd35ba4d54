#!/usr/bin/env bash
# Under a virtual X display, scripts/with_simulator (scripts/run --simulator
# after its build) runs the connection check beside the controller simulator.
# The check connects from the dialog over USB, over the pty the port list
# offers and over TCP; the simulator must have answered the product-information
# requests on each link, and must be gone once the program has closed. Exits 77
# (skipped) when no virtual display server is installed.
#
#   display_simulator_check.sh <repository root> <build dir> <desktop_connect_check> <picture folder>
set -u
root="$1"; build="$2"; check="$3"; pictures="$4"
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
  echo "no Xvfb: skipped"
  exit 77
fi
mkdir -p "$pictures"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" JQ_REGISTRY_DIR="$scratch/registry"
export JQSIM_LOG="$scratch/sim.log"
unset QT_QPA_PLATFORM DISPLAY
picture="$pictures/display_simulator.png"
rm -f "$picture"
status=0
fail() { echo "FAIL: $*"; status=1; }

# The stand-in must bring every hid_* the library calls: one left to the
# system's hidapi would be handed a handle of the stand-in.
missing="$(comm -23 \
  <(nm -D --undefined-only "$build/device_api/libJQ_API.so" | awk '$2 ~ /^hid_/ {print $2}' | sort -u) \
  <(nm -D --defined-only "$build/tests/sim/libjqsim_hid_client.so" | awk '$3 ~ /^hid_/ {print $3}' | sort -u))"
[ -z "$missing" ] || fail "the hidapi stand-in lacks: $missing"

timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$root/scripts/with_simulator" "$build" "$check" simulator "$picture" > "$scratch/run.out" 2>&1
rc=$?
cat "$scratch/run.out"
[ "$rc" = 0 ] || fail "the program did not connect over every link (exit $rc)"
[ -s "$picture" ] && echo "picture: $picture" || fail "no picture saved"

# What the user is told to choose.
grep -qE '^  UART +port /dev/pts/[0-9]+$' "$scratch/run.out" || fail "no pty named"
grep -qE '^  网络/WIFI +IP 127\.0\.0\.1, port [0-9]+$' "$scratch/run.out" || fail "no TCP port named"
grep -q '^  USB HID ' "$scratch/run.out" || fail "USB not offered"
grep -qE '^Controller simulator stopped after [0-9]+ requests\.$' "$scratch/run.out" || fail "no word of the simulator stopping"

# Check, identity (1-4), serial number (5-7), version and resources on each link.
for link in usb pty tcp; do
  for code in 0 1 2 3 4 5 6 7 8 9; do
    grep -qE "^$link:[^ ]+ code $code index" "$JQSIM_LOG" || fail "$link: the simulator saw no request $code"
  done
done

# Nothing of the session is left: no simulator process, no session folder.
for cmdline in /proc/[0-9]*/cmdline; do
  line="$({ tr '\0' ' ' < "$cmdline"; } 2>/dev/null)"
  case "$line" in *"--hid-socket $scratch/"*) fail "the simulator still runs: $line" ;; esac
done
if compgen -G "$scratch/jqsim.*" > /dev/null; then fail "the session folder was left behind"; fi
exit "$status"
