#!/usr/bin/env bash
# check_includes.sh SOURCE_DIR: every project include carries its path from
# the repository root and names a file that is there; Qt stays behind
# platform/ (tests and benchmarks may use it to drive or measure it).
# The examples and the install consumer include the public header as a user's
# program does, so they are read as outside code.
set -euo pipefail
src="$1"
cd "$src"
if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -t files < <(git ls-files -co --exclude-standard -- '*.h' '*.hpp' '*.c' '*.cpp' '*.cxx' \
    | grep -vE '^(build|build-[^/]*)/' | grep -vE '^(examples|tests/install/consumer)/')
else
  mapfile -t files < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./examples -prune \
    -o -path ./tests/install/consumer -prune -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' \
    -o -name '*.cpp' -o -name '*.cxx' \) -print | sed 's|^\./||')
fi
status=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  while IFS=: read -r line inc; do
    name="${inc#*\"}"; name="${name%\"*}"
    if [[ "$name" != */* ]]; then
      echo "$f:$line: bare include \"$name\": write its path from the repository root"; status=1
    elif [ ! -f "$name" ]; then
      echo "$f:$line: \"$name\" is not a file under the repository root"; status=1
    fi
  done < <(grep -nE '^\s*#\s*include\s+"' "$f" | sed -E 's/^([0-9]+):.*(".*").*/\1:\2/')
  case "$f" in
    platform/*|tests/*|bench/*) ;;
    *)
      if grep -nE '^\s*#\s*include\s+[<"](Q[A-Za-z]+|qt[a-z]*/|platform/ui/(host|qt_bridge)\.h)' "$f"; then
        echo "$f: Qt is reached through platform/ only"; status=1
      fi ;;
  esac
done
if [ "$status" -eq 0 ]; then
  echo "includes: ${#files[@]} files checked"
fi
exit "$status"
