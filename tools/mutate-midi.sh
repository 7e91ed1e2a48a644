#!/usr/bin/env bash
# Mutation testing of the MIDI reader's tests: puts each small fault of
# tools/midi-mutations.txt into a copy of the sources (build/mutate, never
# the working tree), rebuilds tactimer-cli there incrementally, runs the
# tests that read MIDI files or store tempos (cli_midi, cli_model), puts
# the source back, and says whether the tests caught the fault.
# A fault whose text is no longer in the source, or is there more than
# once, did not apply: it is reported, never counted as caught.
# Usage: tools/mutate-midi.sh [NUMBER...]
#   NUMBER: only these faults, counted from 1 in the list (default all).
#   Takes a few seconds a fault; run by hand, not by the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$root/tools/midi-mutations.txt
copy=$root/build/mutate
build=$copy/build/native
tests='^(cli_midi|cli_model)$'

# The sources anew, their times kept so that only what changed is rebuilt;
# midi/ always, whatever a stopped run left in its build.
mkdir -p "$copy"
find "$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
touch "$copy"/midi/*
(cd "$copy" && cmake --preset native >/dev/null)

build_and_test() {
    cmake --build "$build" --target tactimer-cli -j2 >/dev/null 2>&1 || return 2
    # A fault may loop forever or eat memory: each process has its bounds.
    (
        ulimit -t 60 -v 8000000
        cd "$build" && ctest -R "$tests" --timeout 300 >/dev/null 2>&1
    ) || return 1
}

# Writes FILE with OLD put for its one occurrence, or fails; or, with
# "restore", writes the file back from its saved text. Both write the
# bytes anew, so the next build sees the change whatever the times.
apply() {
    python3 - "$@" <<'EOF'
import os
import sys
action, path = sys.argv[1], sys.argv[2]
if action == 'restore':
    with open(path + '.unmutated', 'rb') as f:
        text = f.read()
    with open(path, 'wb') as f:
        f.write(text)
    os.remove(path + '.unmutated')
    sys.exit(0)
# \n in the list stands for a line break.
old, new = (a.replace('\\n', '\n').encode() for a in sys.argv[3:5])
with open(path, 'rb') as f:
    text = f.read()
if text.count(old) != 1:
    sys.exit(1)
with open(path + '.unmutated', 'wb') as f:
    f.write(text)
with open(path, 'wb') as f:
    f.write(text.replace(old, new))
EOF
}

if ! build_and_test; then
    echo "mutate-midi: the tests fail on the unchanged sources" >&2
    exit 1
fi

declare -A chosen=()
for number in "$@"; do chosen[$number]=1; done
# Read whole first: the list may be edited while this runs.
mapfile -t lines <"$list"
number=0 killed=0 survived=0 unapplied=0 unbuilt=0
for line in "${lines[@]}"; do
    case $line in '' | '#'*) continue ;; esac
    number=$((number + 1))
    [ $# -eq 0 ] || [ -n "${chosen[$number]:-}" ] || continue
    file=${line%% *}
    rest=${line#* }
    case $rest in
        *' => '*) old=${rest%% => *} new=${rest#* => } ;;
        *' =>') old=${rest% =>} new='' ;;
        *)
            echo "mutate-midi: line without ' => ': $line" >&2
            exit 2
            ;;
    esac
    path=$copy/midi/$file
    if ! apply mutate "$path" "$old" "$new"; then
        verdict='NOT APPLIED'
        unapplied=$((unapplied + 1))
    else
        status=0
        build_and_test || status=$?
        apply restore "$path"
        case $status in
            0) verdict=SURVIVED survived=$((survived + 1)) ;;
            1) verdict=killed killed=$((killed + 1)) ;;
            *) verdict='NOT BUILT' unbuilt=$((unbuilt + 1)) ;;
        esac
    fi
    printf '%3d %-11s %s\n' "$number" "$verdict" "$line"
done
# The copy is as the sources are again; so is its build.
cmake --build "$build" --target tactimer-cli -j2 >/dev/null
applied=$((killed + survived))
echo "score: $killed of $applied faults caught ($survived survived);" \
    "$unapplied did not apply, $unbuilt did not build"
