#!/usr/bin/env bash
# Under a virtual X display, the program connects to jqsim-cli over TCP and
# runs a script of long moves; the simulator is killed during the first one.
# The run must end by itself with a log line and the status line must say
# that the link is lost. Exits 77 (skipped) when no virtual display server
# is installed.
#
#   display_link_lost_check.sh <jqsim-cli> <desktop_auto_run_check> <script file> <picture folder>
set -u
sim="$1"; check="$2"; script="$3"; pictures="$4"
. "$(dirname "$0")/display_sim_session.sh"
start_display_session "$sim" "$pictures" 90

cp "$script" "$scratch/long_moves.txt"
picture="$pictures/display_link_lost.png"
rm -f "$picture"
if ! timeout 50 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
     "$check" "$tcp" "$scratch/long_moves.txt" "$picture" --kill-simulator "$sim_pid"; then
  echo "the lost controller was not reported as expected"
  exit 1
fi
if kill -0 "$sim_pid" 2>/dev/null; then echo "the simulator was not killed"; exit 1; fi
if [ ! -s "$picture" ]; then echo "no picture saved"; exit 1; fi
echo "picture: $picture"
