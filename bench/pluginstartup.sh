#!/bin/sh
# Does the browser-pane plugin beside the executable change the bar's start-up? Starts the bar
# with and without the plugin beside it (and, if given, a baseline program) on a private Xvfb
# display, from process start until its window is on screen, then ends it.
#
#   bench/pluginstartup.sh BUILD_DIR [RUNS] [BASELINE_COMMAND BASELINE_TITLE_REGEX]
#
# Prints shell-style lines (times in ms, medians; peak memory in KiB, medians), and hyperfine's
# own table on the error channel.
set -eu

if [ "${1:-}" = --once ]; then
    # One start: the program, its window up, then ended. GNU time records its peak memory.
    shift
    memfile=$1 title=$2
    shift 2
    /usr/bin/time -f %M -a -o "$memfile" "$@" >>"$memfile.log" 2>&1 &
    timer=$!
    program=
    while [ -z "$program" ]; do program=$(pgrep -P "$timer" || true); done
    # The window that this very process put up (Qt marks its windows with their process
    # id); xdotool's own --sync waits half a second between looks, far too coarse here.
    until xdotool search --all --onlyvisible --pid "$program" --name "$title" >/dev/null 2>&1; do
        kill -0 "$program" 2>/dev/null || { echo "the program ended before showing its window:" >&2; cat "$memfile.log" >&2; exit 1; }
        sleep 0.01
    done
    kill "$program"
    wait "$timer" || true
    exit 0
fi

build=$(cd "$1" && pwd)
runs=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

mkdir "$work/bare" "$work/plugin"
for dir in bare plugin; do
    cp "$build/quaylink" "$work/$dir/"
    : >"$work/$dir/ftpurl.txt"
done
cp "$build/quaylink_webpane.so" "$work/plugin/"

# A display number of its own, away from the low numbers other sessions pick by habit.
number=$((200 + $$ % 700))
while [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
exec 3>"$work/displayfd"
Xvfb ":$number" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
while [ ! -s "$work/displayfd" ]; do
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb :$number did not start" >&2; exit 1; }
    sleep 0.05
done
export DISPLAY=":$(cat "$work/displayfd")"

bar='^Quaylink -- '
set -- "${3:-}" "${4:-}"
commands="'$here/pluginstartup.sh' --once '$work/mem.without' '$bar' '$work/bare/quaylink'
'$here/pluginstartup.sh' --once '$work/mem.with' '$bar' '$work/plugin/quaylink'"
if [ -n "$1" ]; then
    commands="$commands
'$here/pluginstartup.sh' --once '$work/mem.baseline' '$2' $1"
fi

echo "$commands" | tr '\n' '\0' | xargs -0 hyperfine -N --warmup 3 --runs "$runs" \
    --export-json "$work/times.json" >&2

python3 - "$work" <<'PY'
import json, statistics, sys, os
work = sys.argv[1]
results = json.load(open(os.path.join(work, "times.json")))["results"]
names = ["without", "with", "baseline"]
median = {}
for name, result in zip(names, results):
    median[name] = statistics.median(result["times"]) * 1000
    mem = [int(line) for line in open(os.path.join(work, "mem." + name)) if line.strip().isdigit()]
    median[name + "_mem"] = statistics.median(mem)
    print(f"startup_{name}_plugin_ms={median[name]:.1f}" if name != "baseline" else f"startup_baseline_ms={median[name]:.1f}")
    print(f"startup_{name}_plugin_peak_kib={median[name + '_mem']:.0f}" if name != "baseline" else f"startup_baseline_peak_kib={median[name + '_mem']:.0f}")
print(f"startup_plugin_time_ratio={median['with'] / median['without']:.3f}")
print(f"startup_plugin_memory_ratio={median['with_mem'] / median['without_mem']:.3f}")
if "baseline" in median:
    print(f"startup_vs_baseline_time_ratio={median['with'] / median['baseline']:.3f}")
    print(f"startup_vs_baseline_memory_ratio={median['with_mem'] / median['baseline_mem']:.3f}")
PY
