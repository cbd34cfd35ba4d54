# Sourced by the display checks: skips (exit 77) without a virtual display
# server, makes a scratch home that is removed on exit, starts jqsim-cli for
# the given seconds and sets $pty and $tcp to its endpoints.
#
#   start_display_session <jqsim-cli> <picture folder> <seconds>
start_display_session() {
  local sim="$1" pictures="$2" seconds="$3"
  if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "no Xvfb: skipped"
    exit 77
  fi
  mkdir -p "$pictures"
  scratch="$(mktemp -d)"
  export TMPDIR="$scratch" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" JQ_REGISTRY_DIR="$scratch/registry"
  unset QT_QPA_PLATFORM DISPLAY
  sim_pid=""
  trap 'if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi; rm -rf "$scratch"' EXIT

  "$sim" --seconds "$seconds" >"$scratch/sim.out" 2>&1 &
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
}
