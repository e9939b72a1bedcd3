#!/usr/bin/env bash
# Dependencies in src/ point one way, downwards: a file may include its own
# layer and the layers below it, never one above. The layers, from the
# bottom; folders on one line are one layer. A folder not listed is refused,
# so that a new one is placed here first.
#   scripts/check-layers.sh
set -uo pipefail
cd "$(dirname "$0")/.."

layers=(
    "platform"                                  # the seams
    "util"                                      # helpers
    "components"                                # the libraries the system uses
    "controls dialogs registry floppy uninstall"  # the domain rooms
    "install registration"                      # the rooms built on them
    "app"                                       # the application
    "win32 native main"                         # the adapters and the entry point
)

declare -A level
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do level[$folder]=$i; done
done

# The layer's folder of a path below src/: its first folder, or "main" for
# the entry points beside them.
folder_of() {
    local path=$1
    if [[ "$path" == */* ]]; then echo "${path%%/*}"; else echo main; fi
}

status=0
while IFS= read -r file; do
    own=$(folder_of "${file#src/}")
    if [[ -z "${level[$own]+set}" ]]; then
        echo "$file: the folder $own has no layer in scripts/check-layers.sh"
        status=1
        continue
    fi
    # Includes with a folder are the project's; the dialogs' resource
    # headers (res/) sit beside every layer.
    while IFS=: read -r line included; do
        target=${included%%/*}
        if [[ -z "${level[$target]+set}" ]]; then
            echo "$file:$line: includes $included, of a folder without a layer"
            status=1
        elif ((level[$target] > level[$own])); then
            echo "$file:$line: includes $included, a layer above its own ($own)"
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' "$file" |
                 sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/')
done < <(find src -name '*.cpp' -o -name '*.h' | sort)

if ((status == 0)); then echo "Layers: every include points down"; fi
exit $status
