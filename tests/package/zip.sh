#!/usr/bin/env bash
# The Windows download as scripts/package makes it from this build: the zip
# holds exactly quillaby.exe and README.txt; its quillaby.exe is the shipped
# program byte for byte (whose header, imports, manifest and version
# integration_shipped checks) with no time stamp in its header; neither names
# the source or build folder; and a zip made again in another folder, with
# another umask and time zone, has the same bytes.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"
. "$QB_ROOT/tests/e2e/assert.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

zip=$(qb_package "$dir/a") || exit 1
check_eq "files in the zip" "quillaby.exe README.txt" "$(unzip -Z1 "$zip" | tr '\n' ' ' | sed 's/ $//')"
unzip -q "$zip" -d "$dir/x"
check_eq "sha256 of the zip's quillaby.exe" "$(sha256sum <"$QB_EXE")" "$(sha256sum <"$dir/x/quillaby.exe")"
pe=$(od -An -tu4 -j60 -N4 "$QB_EXE" | tr -d ' ')
check_eq "time stamp in the program's header" 0 "$(od -An -tu4 -j$((pe + 8)) -N4 "$QB_EXE" | tr -d ' ')"
for folder in "$QB_ROOT" "$QB_BUILD"; do
  check_eq "files naming $folder" "" "$(cd "$dir" && grep -l -a -F "$folder" a/* x/*)"
done
again=$(umask 077 && TZ=Asia/Kolkata qb_package "$dir/b") || exit 1
check_eq "sha256 of a zip made again" "$(sha256sum <"$zip")" "$(sha256sum <"$again")"
check_done
