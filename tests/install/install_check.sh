#!/bin/sh
# install_check.sh BUILD_DIR LIBDIR VERSION SOVERSION
# Installs the build into a temporary prefix and builds a consumer program
# against it twice: through pkg-config and through find_package(JQ_API).
set -eu
build="$1"; libdir="$2"; version="$3"; soversion="$4"
here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d "${TMPDIR:-/tmp}/jq_install_XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
fail() { echo "install_check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "install failed"; }

# Library, SONAME and the link chain of a Debian -dev package.
lib="$prefix/$libdir"
[ -f "$prefix/include/JQ_API.h" ] || fail "no include/JQ_API.h"
[ "$(readlink "$lib/libJQ_API.so")" = "libJQ_API.so.$soversion" ] || fail "libJQ_API.so does not point at libJQ_API.so.$soversion"
[ -f "$(readlink -f "$lib/libJQ_API.so.$soversion")" ] || fail "libJQ_API.so.$soversion is dangling"
objdump -p "$lib/libJQ_API.so.$soversion" | grep -q "SONAME *libJQ_API.so.$soversion\$" || fail "SONAME is not libJQ_API.so.$soversion"
[ -f "$lib/pkgconfig/jq_api.pc" ] || fail "no $libdir/pkgconfig/jq_api.pc"
[ -f "$lib/cmake/JQ_API/JQ_APIConfig.cmake" ] || fail "no $libdir/cmake/JQ_API/JQ_APIConfig.cmake"

# 1. pkg-config, with nothing but the installed prefix to go by.
export PKG_CONFIG_PATH="$lib/pkgconfig"
[ "$(pkg-config --modversion jq_api)" = "$version" ] || fail "pkg-config version is not $version"
cc=${CC:-cc}
# shellcheck disable=SC2046
$cc -std=c11 -Wall -Werror -o "$tmp/consumer_pc" "$here/consumer/consumer.c" \
  $(pkg-config --cflags --libs jq_api) -Wl,-rpath,"$(pkg-config --variable=libdir jq_api)" \
  || fail "pkg-config build failed"
"$tmp/consumer_pc" "$version" || fail "pkg-config build does not run"

# 2. find_package(JQ_API) in a CMake project of its own.
cmake -S "$here/consumer" -B "$tmp/consumer_build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$cc" > "$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "find_package configure failed"; }
cmake --build "$tmp/consumer_build" > "$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "find_package build failed"; }
"$tmp/consumer_build/consumer" "$version" || fail "find_package build does not run"
echo "install_check: installed and consumed through pkg-config and find_package"
