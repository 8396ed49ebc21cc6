#!/usr/bin/env bash
# Checks that the source folders stay layered:
#  - no folder includes a header of a folder it may not use (the allowed
#    uses are listed below; framework/ counts as two floors, its data
#    target and its shell target, told apart by framework/CMakeLists.txt);
#  - no include loop inside a folder (a.h/.cpp -> b.h -> ... -> a.h);
#  - with --links BUILD_DIR also that the targets below the widgets do not
#    link Qt Widgets, read from CMake's own dependency graph of that build.
# Exit status 0 when everything holds, 1 with one line per breach otherwise.
#
#   scripts/check-layers.sh                      # includes only (fast)
#   scripts/check-layers.sh --links build        # and the link lines
set -u

# Few processes: on a busy machine each one costs more than all the rest.
script_dir=${0%/*}
[[ $script_dir == "$0" ]] && script_dir=.
root=$(cd "$script_dir/.." && pwd)
build=""
case "${1:-}" in
--links)
    build=${2:?"--links needs the build folder"}
    build=$(cd "$build" && pwd) || exit 2
    ;;
"") ;;
*)
    echo "usage: $0 [--links BUILD_DIR]" >&2
    exit 2
    ;;
esac

# The floors and what each may include (besides itself). A use not listed
# here is a breach. Bottom up:
#   log <- framework data <- model <- render <- output <- widgets <- app
#   framework shell (application, dialogs, panels) <- output, widgets, app, updater
#   encoder_options <- model and above
# output/ may use the shell because the output settings and compile progress
# dialogs live there.
declare -A allowed=(
    [log]=""
    [framework_data]="log"
    [encoder_options]="log"
    [model]="log framework_data encoder_options"
    [render]="log framework_data encoder_options model"
    [framework_shell]="log framework_data"
    [output]="log framework_data encoder_options model render framework_shell"
    [widgets]="log framework_data encoder_options model render framework_shell output"
    [app]="log framework_data encoder_options model render framework_shell output widgets"
    [updater]="log framework_data framework_shell"
)
folders=(log framework encoder_options model render output widgets app updater)

breaches=0
breach() {
    echo "$1"
    breaches=$((breaches + 1))
}

# "data file" and "shell file" lines: the sources of the two framework
# targets as framework/CMakeLists.txt lists them.
framework_lists() {
    awk '
        /^set\(framework_(data|shell)_sources/ {
            list = $1; sub(/^set\(framework_/, "", list); sub(/_sources$/, "", list); next
        }
        list != "" && /^\)/ { list = "" }
        list != "" { sub(/#.*/, ""); for (i = 1; i <= NF; ++i) print list, $i }
    ' "$root/framework/CMakeLists.txt"
}

declare -A layer_of_file # "folder/file" -> floor
for folder in "${folders[@]}"; do
    for path in "$root/$folder"/*.h "$root/$folder"/*.cpp "$root/$folder"/*.ui; do
        [[ -e $path ]] || continue
        [[ $folder == framework ]] && continue
        layer_of_file[$folder/${path##*/}]=$folder
    done
done
while read -r list file; do
    if [[ -n ${layer_of_file[framework/$file]:-} ]]; then
        breach "framework/$file is in both framework targets"
    fi
    layer_of_file[framework/$file]=framework_$list
done < <(framework_lists)

# Which folder holds a header named in an include; empty for Qt, system and
# generated headers.
declare -A folder_of_header
for key in "${!layer_of_file[@]}"; do
    name=${key#*/}
    [[ $name == *.h ]] || continue
    if [[ -n ${folder_of_header[$name]:-} ]]; then
        echo "header $name exists in ${folder_of_header[$name]}/ and ${key%%/*}/; includes of it are ambiguous" >&2
    fi
    folder_of_header[$name]=${key%%/*}
done

# Quoted includes, and the headers of custom widgets in forms, of every
# file at once: one process instead of one per file keeps this quick.
edges_all="" # "folder/unit folder/included-unit" lines
sources=()
for folder in "${folders[@]}"; do
    for path in "$root/$folder"/*.h "$root/$folder"/*.cpp "$root/$folder"/*.ui; do
        [[ -e $path ]] && sources+=("$path")
    done
done
for path in "${sources[@]}"; do
    rel=${path#"$root"/}
    [[ -n ${layer_of_file[$rel]:-} ]] || breach "$rel: not part of either framework target"
done
while IFS= read -r match; do
    path=${match%%:*}
    line=${match#*:}
    rel=${path#"$root"/}
    folder=${rel%%/*}
    file=${rel#*/}
    from=${layer_of_file[$rel]:-}
    [[ -n $from ]] || continue
    if [[ $line == *"<header>"* ]]; then
        header=${line#*<header>}
        header=${header%%</header>*}
    else
        header=${line#*\"}
        header=${header%%\"*}
    fi
    header=${header##*/}
    target_folder=${folder_of_header[$header]:-}
    [[ -n $target_folder ]] || continue
    to=${layer_of_file[$target_folder/$header]}
    if [[ $to != "$from" && " ${allowed[$from]} " != *" $to "* ]]; then
        breach "$rel includes $target_folder/$header: $from may not use $to"
    fi
    # Loops are looked for between the units (name without extension) of
    # one folder: a.cpp including b.h and b.cpp including a.h is one.
    if [[ $target_folder == "$folder" && ${header%.*} != "${file%.*}" ]]; then
        edges_all+="$folder/${file%.*} $folder/${header%.*}"$'\n'
    fi
done < <(grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"|<header>' "${sources[@]}")

# One tsort for every folder: the units are named "folder/unit", and tsort
# names the units of every loop it has to break.
declare -A loop_units
while read -r unit; do
    [[ $unit == */* ]] || continue
    [[ "${loop_units[${unit%%/*}]:-} " == *" ${unit#*/} "* ]] || loop_units[${unit%%/*}]+=" ${unit#*/}"
done < <(printf '%s' "${edges_all:-}" | tsort 2>&1 >/dev/null | sed -n 's/^tsort: \([^ ]*\/[^ ]*\)$/\1/p')
for folder in "${!loop_units[@]}"; do
    breach "$folder/: include loop among${loop_units[$folder]}"
done

if [[ -n $build ]]; then
    graph=$(mktemp -d)
    trap 'rm -rf "$graph"' EXIT
    if ! cmake --graphviz="$graph/targets.dot" "$build" >"$graph/cmake.log" 2>&1; then
        cat "$graph/cmake.log" >&2
        echo "cmake could not write the target graph of $build" >&2
        exit 2
    fi
    # The graph of one target lists everything it links, directly or through
    # the targets it links.
    for target in reelwright_log reelwright_framework_data reelwright_encoder_options reelwright_model; do
        file="$graph/targets.dot.$target"
        if [[ ! -f $file ]]; then
            breach "$target: no such target in $build"
            continue
        fi
        for widgets in Qt6::Widgets Qt6::OpenGLWidgets; do
            if grep -q "label = \"$widgets\"" "$file"; then
                breach "$target links $widgets"
            fi
        done
    done
fi

if ((breaches > 0)); then
    echo "check-layers: $breaches breach(es)"
    exit 1
fi
echo "check-layers: the layers hold"
