#!/bin/sh
# Fails when a C++ source changed since the branch left main (on main, by its last commit; with
# no main to compare with, any tracked C++ source) does not follow .clang-format. Lists the
# files and the command to mend them.
set -eu
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "check-format: clang-format-14 is not installed" >&2
    exit 1
fi

base=""
for ref in main origin/main; do
    if git rev-parse -q --verify "$ref^{commit}" >/dev/null; then
        base=$(git merge-base HEAD "$ref")
        break
    fi
done
# On main itself (as in CI's clean clone) nothing has changed since the fork point, so the whole
# tree is checked: it was formatted once and must stay so.
if [ -n "$base" ] && [ "$base" != "$(git rev-parse HEAD)" ]; then
    # Committed changes since the fork point plus what is not committed yet.
    files=$( (git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h';
              git ls-files --others --exclude-standard -- '*.cpp' '*.h') | sort -u)
else
    files=$(git ls-files -- '*.cpp' '*.h')
fi

bad=""
for f in $files; do
    [ -f "$f" ] || continue
    if ! "$format" --dry-run --Werror "$f" >/dev/null 2>&1; then
        bad="$bad $f"
    fi
done

if [ -n "$bad" ]; then
    echo "check-format: not formatted as .clang-format asks:" >&2
    for f in $bad; do echo "  $f" >&2; done
    echo "mend with: $format -i$bad" >&2
    exit 1
fi
echo "check-format: $(echo "$files" | grep -c . || true) changed source(s) formatted"
