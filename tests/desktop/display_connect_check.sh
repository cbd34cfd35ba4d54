#!/usr/bin/env bash
# Under a virtual X display, the program's windows connect from the connection
# dialog to jqsim-cli, once over TCP and once over its pty, and must show the
# axis panels; a picture of each run is saved. Exits 77 (skipped) when no
# virtual display server is installed.
#
#   display_connect_check.sh <jqsim-cli> <desktop_connect_check> <picture folder>
set -u
sim="$1"; check="$2"; pictures="$3"
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

"$sim" --seconds 150 >"$scratch/sim.out" 2>&1 &
sim_pid=$!
pty="" tcp=""
for _ in $(seq 100); do
  pty="$(sed -n 's/^pty: //p' "$scratch/sim.out")"
  tcp="$(sed -n 's/^tcp: //p' "$scratch/sim.out")"
  [ -n "$pty" ] && [ -n "$tcp" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$pty" ] || [ -z "$tcp" ]; then
  echo "jqsim-cli did not start:"; cat "$scratch/sim.out"
  exit 1
fi

status=0
run() {
  local link="$1" where="$2" picture="$pictures/display_connect_$1.png"
  rm -f "$picture"
  echo "== $link ($where)"
  if ! timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
       "$check" "$link" "$where" "$picture"; then
    echo "$link: the program did not show the controller"; status=1; return
  fi
  if [ ! -s "$picture" ]; then echo "$link: no picture saved"; status=1; return; fi
  echo "picture: $picture"
}
run tcp "$tcp"
run pty "$pty"
exit "$status"
