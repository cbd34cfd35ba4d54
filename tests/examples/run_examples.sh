#!/bin/sh
# run_examples.sh SIM_CLI EXAMPLES_DIR
# Runs every C example against the controller simulator's TCP listener and
# its pty, as a user would run them against a controller.
set -eu
sim="$1"; dir="$2"
log="$(mktemp "${TMPDIR:-/tmp}/jq_examples_XXXXXX")"
"$sim" --seconds 60 > "$log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 100); do grep -q "^tcp" "$log" && break; sleep 0.05; done
port="$(sed -n 's/^tcp: *//p' "$log")"
pty="$(sed -n 's/^pty: *//p' "$log")"
[ -n "$port" ] && [ -n "$pty" ] || { cat "$log"; echo "run_examples: the simulator did not start" >&2; exit 1; }

for link in "tcp 127.0.0.1 $port" "uart $pty"; do
  # shellcheck disable=SC2086
  "$dir/open_link" $link
  "$dir/product_info" $link | grep -q "^serial number: [0-9A-F]\{24\}$"
  "$dir/move_and_wait" 1 500 2000 $link | grep -q "^axis 1 moved"
  "$dir/read_inputs" $link | grep -q "inputs, all:"
done
# A link that does not answer: a clear message and a failure, not a hang.
if "$dir/open_link" tcp 127.0.0.1 1 2>/dev/null; then
  echo "run_examples: open_link succeeded without a controller" >&2
  exit 1
fi
echo "run_examples: every example ran over TCP and the serial line"
