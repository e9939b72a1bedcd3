#!/usr/bin/env bash
# Exits 0 when this machine runs i386 programs, as Wine's 32-bit loader is
# one; otherwise prints why not. Some machines of this project are guests of
# a hypervisor that gives them no 32-bit mode, where every i386 program fails
# with "Exec format error".
set -uo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'int main(void) { return 0; }\n' >"$dir/probe.c"
if ! gcc -m32 -static "$dir/probe.c" -o "$dir/probe" 2>/dev/null; then
    echo "no 32-bit C library to build the i386 probe (gcc-multilib)"
    exit 1
fi
if ! "$dir/probe" 2>/dev/null; then
    echo "this machine runs no i386 programs (a static -m32 program fails)"
    exit 1
fi
