#!/usr/bin/env bash
# Fails when an include runs against the layer order: each folder may include only its own
# headers and those of the folders below it. The core reaches the system only through
# platform/platform.h; a backend may use platform/common and the system services, never the core.
# The system's own headers (unistd.h, windows.h, sys/..., SDL.h, <filesystem>, ...) appear only
# inside platform/: the core asks the seam instead.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(engine ui render files app)   # lowest first; platform/platform.h is below them all
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }

bad=0
report() { echo "upward include: $1 includes \"$2\""; bad=1; }

for file in $(git ls-files 'engine/*' 'ui/*' 'render/*' 'files/*' 'app/*' 'platform/*' | grep -E '\.(h|cpp)$'); do
    folder=${file%%/*}
    while IFS= read -r inc; do
        target=${inc%%/*}
        if [ "$folder" = platform ]; then
            # Inside the platform layer: the seam, the shared pieces and the system services.
            sub=$(echo "$file" | cut -d/ -f2)
            case "$inc" in
                platform/platform.h) ;;
                platform/common/*|platform/services/*|platform/win32/*)
                    isub=$(echo "$inc" | cut -d/ -f2)
                    [ "$sub" = common ] && [ "$isub" != common ] && report "$file" "$inc" ;;
                platform/"$sub"/*) ;;
                *) report "$file" "$inc" ;;
            esac
            continue
        fi
        if [ "$target" = platform ]; then
            # Programs choose their backend; the core sees only the seam.
            [ "$inc" = platform/platform.h ] && continue
            case "$file" in app/main*.cpp) continue ;; esac
            report "$file" "$inc"
            continue
        fi
        r=$(rank "$target")
        [ "$r" -lt 0 ] && { report "$file" "$inc"; continue; }
        [ "$r" -gt "$(rank "$folder")" ] && report "$file" "$inc"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done
# Headers of an operating system or a desktop, and the standard library's door to the file system.
system_headers='^(unistd\.h|windows\.h|sys/.*|fcntl\.h|pthread\.h|dirent\.h|filesystem|SDL.*|spawn\.h|pwd\.h|dlfcn\.h|termios\.h|poll\.h|X11/.*|shlobj\.h|io\.h)$'
for file in $(git ls-files 'engine/*' 'ui/*' 'render/*' 'files/*' 'app/*' | grep -E '\.(h|cpp)$'); do
    while IFS= read -r inc; do
        if [[ "$inc" =~ $system_headers ]]; then
            echo "system header outside platform/: $file includes <$inc>"
            bad=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file")
done
[ $bad -eq 0 ] && echo "layers: every include runs downward, and only platform/ sees the system"
exit $bad
