#!/usr/bin/env bash
# The whole program end to end under a virtual X display with a window
# manager: for each link (TCP, the pty, USB through the simulated HID device)
# scripts/with_simulator starts the simulator and the check drives the
# program with synthesised input, then starts it once more to find its
# settings and remembered state intact. The simulator's request log is
# checked by the check itself after every action; the pictures of every
# window land in the picture folder. Exits 77 (skipped) without Xvfb or
# openbox.
#
#   display_end_to_end.sh <repository root> <build dir> <desktop_end_to_end_check> <script file> <picture folder>
set -u
root="$1"; build="$2"; check="$3"; script="$4"; pictures="$5"
for tool in xvfb-run Xvfb openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then echo "no $tool: skipped"; exit 77; fi
done
mkdir -p "$pictures/end_to_end"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" JQ_REGISTRY_DIR="$scratch/registry"
export JQ_E2E_SETTINGS="$scratch/settings" JQ_E2E_SCRIPT="$scratch/script.txt"
mkdir -p "$JQ_E2E_SETTINGS"
cp "$script" "$JQ_E2E_SCRIPT"
unset QT_QPA_PLATFORM DISPLAY

cat > "$scratch/session.sh" <<'SESSION'
set -u
openbox > "$TMPDIR/openbox.log" 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; wait $wm 2>/dev/null' EXIT
sleep 1
status=0
for link in ${JQ_E2E_LINKS:-tcp pty usb}; do
  for phase in first again; do
    echo "== $link, $phase run"
    export JQSIM_LOG="$TMPDIR/sim_${link}_$phase.log"
    timeout ${JQ_E2E_RUN_TIMEOUT:-90} "$ROOT/scripts/with_simulator" "$BUILD" "$CHECK" "$link" "$phase" "$PICTURES" \
      "$TMPDIR/state_$link" || { echo "FAILED: $link, $phase run (exit $?)"; status=1; }
  done
done
exit $status
SESSION
ROOT="$root" BUILD="$build" CHECK="$check" PICTURES="$pictures/end_to_end" \
  timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb bash "$scratch/session.sh"
