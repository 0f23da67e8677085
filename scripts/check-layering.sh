#!/usr/bin/env bash
# Checks that every #include follows the direction of the layers (docs/contributing.md):
#   designer -> runtime/engine -> runtime/output -> platform
#   inside platform: rtl <- graphics <- printing <- ui, rtl <- db, and ide above them all
#   a folder's internal/ headers serve that folder and its tests only (and the seams listed below);
#   public headers never include internal/ ones
#   Qt headers only in platform/**/*.cpp
#   includes are written from the source root ("platform/rtl/Types.h"), never with ../
#   two units of one folder (a unit: Name.h with Name.cpp) never include each other
# Prints each offending include as file:line: reason and exits 1; exits 0 when all is well.
#
# Usage: scripts/check-layering.sh [ROOT]   (ROOT defaults to the source tree this script is in)
set -uo pipefail

root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root" || { echo "check-layering: no such folder: $root" >&2; exit 2; }

# Platform folders and the platform folders each may include.
declare -A platform_uses=(
    [rtl]="rtl"
    [graphics]="rtl graphics"
    [printing]="rtl graphics printing"
    [ui]="rtl graphics printing ui"
    [db]="rtl graphics db"
    [ide]="rtl graphics printing ui db ide"
)

# Seams: another folder's internal/ headers a folder may include ("includer-folder:owner-folder").
# printing implements the graphics layer's printer-driver seam.
internal_seams=" platform/printing:platform/graphics "

# The rank of the code layers: a file may include its own layer and those of a lower rank.
# Both helpers set a variable instead of printing: a subshell per include made the check slow.
layer_rank() {
    case $1 in
        platform/*) rank=0 ;;
        runtime/output/*) rank=1 ;;
        runtime/engine/*) rank=2 ;;
        designer/*) rank=3 ;;
        *) rank=9 ;;   # tools, examples, tests, bench, fuzz: above every layer
    esac
}

layer_name() {
    case $1 in
        platform/*) name=platform ;;
        runtime/output/*) name=runtime/output ;;
        runtime/engine/*) name=runtime/engine ;;
        designer/*) name=designer ;;
        *) name="${1%%/*}" ;;
    esac
}

problems=0
report() {
    echo "$1:$2: $3"
    problems=$((problems + 1))
}

check_include() {
    local file=$1 line=$2 target=$3 quoted=$4

    # Qt: only platform sources, never a header.
    if [[ $quoted == 0 && ( $target =~ ^Q[A-Za-z] || $target =~ ^q[a-z0-9_]*\.h$ ) ]]; then
        if [[ $file == *.h || $file == *.hpp ]]; then
            report "$file" "$line" "Qt header <$target> in a header (Qt stays in platform .cpp files)"
        elif [[ $file != platform/* ]]; then
            report "$file" "$line" "Qt header <$target> outside platform/ (only platform .cpp files use Qt)"
        fi
        return
    fi
    [[ $quoted == 1 ]] || return

    # Paths climbing out of the folder would hide the layer they reach.
    if [[ $target == ../* || $target == */../* ]]; then
        report "$file" "$line" "includes $target; include by the path from the source root"
        return
    fi

    # internal/ headers.
    if [[ $target =~ ^(platform/[a-z]+)/internal/ ]]; then
        local owner=${BASH_REMATCH[1]}
        local folder=${owner#platform/}
        if [[ $file == "$owner"/* ]]; then
            if [[ ($file == *.h || $file == *.hpp) && $file != "$owner"/internal/* ]]; then
                report "$file" "$line" "public header includes $target (internal/ headers stay out of public ones)"
            fi
        elif [[ $file == tests/"$folder"/* ]]; then
            :
        else
            local includer_folder
            [[ $file =~ ^([^/]+/[^/]+) ]] && includer_folder=${BASH_REMATCH[1]} || includer_folder=$file
            if [[ $internal_seams != *" $includer_folder:$owner "* ]]; then
                report "$file" "$line" "includes $target, private to $owner"
            fi
        fi
    fi

    # Units of one folder: note which includes which, for the two-way check at the end.
    if [[ $file =~ ^(platform|runtime|designer)/ && ${target%/*} == "${file%/*}" ]]; then
        local from_unit=${file%.*} to_unit=${target%.*}
        if [[ $from_unit != "$to_unit" && -z ${unit_edges["$from_unit|$to_unit"]-} ]]; then
            unit_edges["$from_unit|$to_unit"]="$file:$line"
        fi
    fi

    # Direction between the layers.
    if [[ $target =~ ^(platform|runtime/output|runtime/engine|designer)/ ]]; then
        local rank name from to from_name
        layer_rank "$file"; from=$rank
        layer_rank "$target"; to=$rank
        if ((to > from)); then
            layer_name "$file"; from_name=$name
            layer_name "$target"
            report "$file" "$line" "$from_name includes $name ($target); layers go designer -> engine -> output -> platform"
        fi
    fi

    # Direction inside the platform.
    if [[ $file =~ ^platform/([a-z]+)/ ]]; then
        local from_folder=${BASH_REMATCH[1]}
        if [[ $target =~ ^platform/([a-z]+)/ ]]; then
            local to_folder=${BASH_REMATCH[1]}
            local allowed=${platform_uses[$from_folder]-}
            if [[ -n $allowed && " $allowed " != *" $to_folder "* ]]; then
                report "$file" "$line" "platform/$from_folder includes platform/$to_folder ($target); platform/$from_folder may use: $allowed"
            fi
        fi
    fi
}

declare -A unit_edges=()
# Pairs of units that include each other today; any other pair is refused. A field reads and
# writes the current record, edit buffer, state and field list of its data set on every access,
# and the data set is made of its fields: parting them needs a new seam on that path.
known_two_way=" platform/db/DataSet|platform/db/Field "
# One grep over every source reads all the includes (a process per file made the check slow).
mapfile -d '' sources < <(find $(ls -d platform runtime designer tools examples bench fuzz tests 2>/dev/null) -type f \
                            \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 | sort -z)
files=${#sources[@]}
while IFS=: read -r file line text; do
    file=${file#./}
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
        check_include "$file" "$line" "${BASH_REMATCH[1]}" 1
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
        check_include "$file" "$line" "${BASH_REMATCH[1]}" 0
    fi
done < <(((files > 0)) && grep -Hn '^[[:space:]]*#[[:space:]]*include' -- "${sources[@]}")

# Two units of one folder that include each other are one unit in two halves: report the pair once.
for edge in "${!unit_edges[@]}"; do
    from=${edge%%|*}
    to=${edge#*|}
    if [[ $from < $to && -n ${unit_edges["$to|$from"]-} && $known_two_way != *" $from|$to "* ]]; then
        where=${unit_edges[$edge]}
        report "${where%:*}" "${where##*:}" "${from##*/} and ${to##*/} include each other (${unit_edges["$to|$from"]}); one of them must not"
    fi
done

if ((problems > 0)); then
    echo "layering: $problems include(s) against the direction of the layers in $files files"
    exit 1
fi
echo "layering: ok ($files files)"
