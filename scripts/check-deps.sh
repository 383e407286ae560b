#!/usr/bin/env bash
# The direction of the dependencies: base, then archiver, then engine, then runner and the window
# program (widgets under it). No source includes a header of a layer above its own, and the
# stand-in libraries include nothing of ours but the header-only handle wrappers and DOS times.
# Fails with every offending include.
#   scripts/check-deps.sh [REPOSITORY]
set -uo pipefail
top=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$top" || exit 2

# Folders whose headers the programs include by bare name, and the layer each belongs to.
declare -A layer_of=([base]=base [archiver]=archiver [archiver/backends]=archiver [engine]=engine
                     [runner]=runner [app]=app [widgets]=widgets)
roots=(base archiver archiver/backends engine runner app widgets)
# What each layer may include besides its own headers.
declare -A allowed=([base]="base" [archiver]="base archiver" [engine]="base archiver engine"
                    [runner]="base archiver engine runner" [widgets]="base widgets"
                    [app]="base archiver engine widgets app")

bad=0
report() { echo "check-deps: $1:$2: includes $3 ($4)" >&2; bad=1; }

# The layer whose header an include names, or nothing when none of ours has it.
owner_of() {
  local inc=$1 r
  for r in "${roots[@]}"; do
    [ -f "$r/$inc" ] && { echo "${layer_of[$r]}"; return; }
  done
}

includes() {  # file: "line include" for every #include "..." or <...>
  grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+[">]' "$1" |
    sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">].*/\1 \2/'
}

sources() { [ -d "$1" ] && find "$1" -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort; }

for layer in base archiver engine runner widgets app; do
  while read -r file; do
    [ -n "$file" ] || continue
    while read -r line inc; do
      [ -f "$(dirname "$file")/$inc" ] && continue  # beside the file
      owner=$(owner_of "$inc")
      [ -z "$owner" ] && continue                   # a system or library header
      [[ " ${allowed[$layer]} " == *" $owner "* ]] || report "$file" "$line" "$inc" "$owner, above $layer"
    done < <(includes "$file")
  done < <(sources "$layer")
done

# The stand-ins are other products: their own headers first, of ours only the header-only handle
# wrappers and local DOS time conversions.
for product in standins/*/; do
  product=${product%/}
  own_dirs=$(find standins -type d)
  while read -r file; do
    [ -n "$file" ] || continue
    while read -r line inc; do
      [ -f "$(dirname "$file")/$inc" ] && continue
      found=
      for d in $own_dirs; do [ -f "$d/$inc" ] && { found=1; break; }; done
      [ -n "$found" ] && continue
      owner=$(owner_of "$inc")
      [ -z "$owner" ] && continue
      case "$owner/$inc" in base/WinHandles.h | base/LocalDosTime.h) continue ;; esac
      report "$file" "$line" "$inc" "$owner, in a stand-in library"
    done < <(includes "$file")
  done < <(sources "$product")
done

[ $bad = 0 ] && echo "check-deps: ok"
exit $bad
