#!/usr/bin/env bash
# Under a virtual X display, the program connects to jqsim-cli over TCP, opens
# a saved script in the auto-run window, runs it on the real clock and must
# log every step; a picture of the window is saved. With "lost" the
# simulator is killed during the first move instead: the run must end by
# itself with a log line and the status line must say that the link is lost.
# Exits 77 (skipped) when no virtual display server is installed.
#
#   display_auto_run_check.sh <jqsim-cli> <desktop_auto_run_check> <script file> <picture folder> [lost]
set -u
sim="$1"; check="$2"; script="$3"; pictures="$4"; mode="${5:-}"
. "$(dirname "$0")/display_sim_session.sh"
start_display_session "$sim" "$pictures" 90

# The script is opened from the scratch folder, as a user's saved file would be.
cp "$script" "$scratch/script.txt"
extra=()
picture="$pictures/display_auto_run.png"
if [ "$mode" = lost ]; then
  extra=(--kill-simulator "$sim_pid")
  picture="$pictures/display_link_lost.png"
fi
rm -f "$picture"
if ! timeout 50 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
     "$check" "$tcp" "$scratch/script.txt" "$picture" "${extra[@]}"; then
  echo "the script did not run as expected"
  exit 1
fi
if [ "$mode" = lost ] && kill -0 "$sim_pid" 2>/dev/null; then echo "the simulator was not killed"; exit 1; fi
if [ ! -s "$picture" ]; then echo "no picture saved"; exit 1; fi
echo "picture: $picture"
