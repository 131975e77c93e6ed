#!/bin/bash
# tavo.xml against the program: every argument that a control of XScreenSaver's settings can produce (each
# slider's ends and default, every menu entry, each check box both ways, and all defaults at once) is
# accepted by `tavo --check-options`; a slider's range is exactly the program's (one past an end is refused);
# the pattern menu names the standard patterns as the program lists them.
set -u
XML=${1:?tavo.xml}
TAVO=${TAVO:?the tavo program}
fail() { echo "FAIL: $*" >&2; exit 1; }
xmllint --noout "$XML" || fail "$XML is not well formed"
x() { xmllint --xpath "$1" "$XML"; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK HOME=$WORK
COMMAND=$(x 'string(/screensaver/command/@arg)')
[ "$COMMAND" = "--root" ] || fail "the command is \"$COMMAND\", not --root"

accepts() { $TAVO $COMMAND "$@" --check-options || fail "tavo refuses: $COMMAND $*"; }
refuses() { ! $TAVO $COMMAND "$@" --check-options 2>/dev/null || fail "tavo accepts: $COMMAND $*"; }

defaults=()
for ((i = 1; i <= $(x 'count(//number)'); i++)); do
    n="(//number)[$i]"
    arg=$(x "string($n/@arg)") low=$(x "string($n/@low)") high=$(x "string($n/@high)")
    default=$(x "string($n/@default)")
    for v in "$low" "$high" "$default"; do accepts ${arg//%/$v}; done
    refuses ${arg//%/$((low - 1))}
    refuses ${arg//%/$((high + 1))}
    defaults+=(${arg//%/$default})
done
for ((i = 1; i <= $(x 'count(//boolean)'); i++)); do
    set_arg=$(x "string((//boolean)[$i]/@arg-set)") unset_arg=$(x "string((//boolean)[$i]/@arg-unset)")
    [ -n "$set_arg$unset_arg" ] || fail "check box $i gives no argument"
    accepts $set_arg
    accepts $unset_arg
done
for ((i = 1; i <= $(x 'count(//select/option)'); i++)); do
    accepts $(x "string((//select/option)[$i]/@arg-set)")
done
accepts "${defaults[@]}"

# The pattern menu: "Random" and the fifteen standard patterns, named as the program names them.
menu=$(for ((i = 1; i <= $(x 'count(//select[@id="pattern"]/option)'); i++)); do
    o="(//select[@id='pattern']/option)[$i]"
    echo "$(x "string($o/@arg-set)")|$(x "string($o/@_label)")"
done | grep -- '--pattern [0-9]')
listed=$($TAVO --list-patterns | sed -E 's/^[ *] *([0-9]+)  (.*)$/--pattern \1|\2/')
[ "$menu" = "$listed" ] || fail "the pattern menu and tavo --list-patterns differ:
$(diff <(echo "$menu") <(echo "$listed"))"
x 'count(//select[@id="pattern"]/option[@arg-set="--pattern random"])' | grep -qx 1 || fail "no Random entry"
[ -n "$(x 'string(//_description)' | tr -d '[:space:]')" ] || fail "no description"
echo ok
