#!/usr/bin/env bash
# Under a virtual X display, the program connects to jqsim-cli over TCP, opens
# a saved three-step script in the auto-run window, runs it on the real clock
# and must log every step; a picture of the window is saved. Exits 77
# (skipped) when no virtual display server is installed.
#
#   display_auto_run_check.sh <jqsim-cli> <desktop_auto_run_check> <script file> <picture folder>
set -u
sim="$1"; check="$2"; script="$3"; pictures="$4"
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
  echo "no Xvfb: skipped"
  exit 77
fi
mkdir -p "$pictures"
scratch="$(mktemp -d)"
export TMPDIR="$scratch" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" JQ_REGISTRY_DIR="$scratch/registry"
unset QT_QPA_PLATFORM DISPLAY

sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

"$sim" --seconds 90 >"$scratch/sim.out" 2>&1 &
sim_pid=$!
tcp=""
for _ in $(seq 100); do
  tcp="$(sed -n 's/^tcp: //p' "$scratch/sim.out")"
  [ -n "$tcp" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$tcp" ]; then
  echo "jqsim-cli did not start:"; cat "$scratch/sim.out"
  exit 1
fi

# The script is opened from the scratch folder, as a user's saved file would be.
cp "$script" "$scratch/three_steps.txt"
picture="$pictures/display_auto_run.png"
rm -f "$picture"
if ! timeout 50 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
     "$check" "$tcp" "$scratch/three_steps.txt" "$picture"; then
  echo "the script did not run as expected"
  exit 1
fi
if [ ! -s "$picture" ]; then echo "no picture saved"; exit 1; fi
echo "picture: $picture"
