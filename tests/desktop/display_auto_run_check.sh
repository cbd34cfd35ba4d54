#!/usr/bin/env bash
# Under a virtual X display, the program connects to jqsim-cli over TCP, opens
# a saved three-step script in the auto-run window, runs it on the real clock
# and must log every step; a picture of the window is saved. Exits 77
# (skipped) when no virtual display server is installed.
#
#   display_auto_run_check.sh <jqsim-cli> <desktop_auto_run_check> <script file> <picture folder>
set -u
sim="$1"; check="$2"; script="$3"; pictures="$4"
. "$(dirname "$0")/display_sim_session.sh"
start_display_session "$sim" "$pictures" 90

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
