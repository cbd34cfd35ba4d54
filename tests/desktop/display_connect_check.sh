#!/usr/bin/env bash
# Under a virtual X display, the program's windows connect from the connection
# dialog to jqsim-cli, once over TCP and once over its pty, and must show the
# axis panels; a picture of each run is saved. Exits 77 (skipped) when no
# virtual display server is installed.
#
#   display_connect_check.sh <jqsim-cli> <desktop_connect_check> <picture folder>
set -u
sim="$1"; check="$2"; pictures="$3"
. "$(dirname "$0")/display_sim_session.sh"
start_display_session "$sim" "$pictures" 150

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
