#!/usr/bin/env bash
# Runs scripts/check-layers.sh on small made-up source trees: it must pass a
# layered tree and name each kind of breach planted in an otherwise clean one.
set -u
script=$(cd "${0%/*}/../scripts" && pwd)/check-layers.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A tree with one or two files per floor; the framework's two lists as the
# real CMakeLists.txt writes them.
make_tree() {
    local tree=$1
    mkdir -p "$tree"/{scripts,log,framework,encoder_options,model,render,output,widgets,app,updater}
    cp "$script" "$tree/scripts/"
    cat >"$tree/framework/CMakeLists.txt" <<'EOF'
set(framework_data_sources
    # preferences
    zupref.h zupref.cpp
)
set(framework_shell_sources
    zuapplication.h zuapplication.cpp
    zumainwindow.h zumainwindow.cpp
    zudialog.h
)
EOF
    printf '#pragma once\n' | tee "$tree/log/writelog.h" "$tree/framework/zupref.h" \
        "$tree/framework/zuapplication.h" "$tree/framework/zumainwindow.h" "$tree/framework/zudialog.h" \
        "$tree/model/storyboard.h" "$tree/widgets/photolistwidget.h" >/dev/null
    printf '#include "zupref.h"\n#include "writelog.h"\n' >"$tree/framework/zupref.cpp"
    printf '#include "zuapplication.h"\n#include "zumainwindow.h"\n' >"$tree/framework/zuapplication.cpp"
    printf '#include "zumainwindow.h"\n#include "zudialog.h"\n#include "zupref.h"\n' \
        >"$tree/framework/zumainwindow.cpp"
    printf '#include "storyboard.h"\n#include "zupref.h"\n#include <QDir>\n' >"$tree/model/storyboard.cpp"
    printf '#include "photolistwidget.h"\n#include "storyboard.h"\n#include "zudialog.h"\n' \
        >"$tree/widgets/photolistwidget.cpp"
    printf '<ui><header>photolistwidget.h</header></ui>\n' >"$tree/app/form.ui"
    printf '#include "zuapplication.h"\n' >"$tree/updater/main.cpp"
}

# case name | file to change | line appended | text the report must hold
while IFS='|' read -r name file line expected; do
    tree="$work/${name// /_}"
    make_tree "$tree"
    [[ -n $file ]] && printf '%s\n' "$line" >>"$tree/$file"
    output=$("$tree/scripts/check-layers.sh" 2>&1)
    status=$?
    if [[ -z $expected ]]; then
        [[ $status == 0 ]] || { echo "FAIL $name: clean tree refused: $output"; failures=$((failures + 1)); }
    elif [[ $status != 1 || $output != *"$expected"* ]]; then
        echo "FAIL $name: status $status, wanted \"$expected\" in: $output"
        failures=$((failures + 1))
    fi
done <<'EOF'
clean|||
model uses the shell|model/storyboard.cpp|#include "zudialog.h"|model/storyboard.cpp includes framework/zudialog.h: model may not use framework_shell
data uses the shell|framework/zupref.cpp|#include "zuapplication.h"|framework_data may not use framework_shell
log uses the model|log/writelog.h|#include "storyboard.h"|log may not use model
updater uses the widgets|updater/main.cpp|#include "photolistwidget.h"|updater may not use widgets
form of the model|model/form.ui|<header>photolistwidget.h</header>|model may not use widgets
loop in a folder|framework/zumainwindow.cpp|#include "zuapplication.h"|framework/: include loop among
file in no target|framework/zunew.cpp|#include "zupref.h"|framework/zunew.cpp: not part of either framework target
EOF

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "check-layers self-test: all cases behave"
