#!/usr/bin/env bash
# Writes the bash completion of vantrel-cli from the program's own --help text, so that the commands and
# options it completes are always the ones the program has:
#   make-bash-completion.sh PATH/TO/vantrel-cli > vantrel-cli.bash
# Read from the help text: the global options (lines starting with "-" under "Options:"), the commands
# (first word of each line under "Commands:") and per command its options ("--name" in the command's
# synopsis); an option followed by "a|b|c" takes one of those words. Everything else completes as a file.
set -euo pipefail
help=$("$1" --help)

# One case line per command: its options, and those of them that take one of a list of words.
tables=$(printf '%s\n' "$help" | awk '
    /^Commands:/ { section = 1; next }
    /^[^ ]/ { section = 0 }
    section && NF > 0 {
        options = ""; values = ""
        # Only the synopsis: it ends where two blanks start the description.
        line = $0; sub(/^ +/, "", line); split(line, parts, /  +/)
        n = split(parts[1], word, / +/)
        for (i = 2; i <= n; i++) {
            w = word[i]; gsub(/[][]/, "", w)
            if (w !~ /^-/) continue
            options = options " " w
            after = word[i + 1]; gsub(/[][]/, "", after)
            if (after ~ /[|]/) values = values " " w "=" after
        }
        printf "        %s) options=\"%s\" value_lists=\"%s\" ;;\n", $1, substr(options, 2), substr(values, 2)
    }')
globals=$(printf '%s\n' "$help" | awk '
    /^Options:/ { section = 1; next } /^[^ ]/ { section = 0 }
    section && $1 ~ /^-/ { for (i = 1; i <= NF; i++) { w = $i; sub(/,$/, "", w); if (w !~ /^-/) break
        sub(/=.*/, "=", w); out = out " " w } }
    END { print substr(out, 2) }')
commands=$(printf '%s\n' "$help" | awk '/^Commands:/ { s = 1; next } /^[^ ]/ { s = 0 } s && NF { print $1 }' |
    tr '\n' ' ' | sed 's/ $//')
[ -n "$commands" ] && [ -n "$globals" ] || { echo "no commands or options found in $1 --help" >&2; exit 1; }

cat <<SCRIPT
# bash completion for vantrel-cli, generated from its --help text by packaging/make-bash-completion.sh.

_vantrel_cli() {
    local cur=\${COMP_WORDS[COMP_CWORD]} prev=\${COMP_WORDS[COMP_CWORD-1]}
    # The command: the first word typed before the current one that is not an option. Split at blanks
    # only (bash's own words also break at "=", which --decimal-separator=, contains).
    local typedLine=\${COMP_LINE:0:COMP_POINT} command="" i
    local -a typed
    read -ra typed <<<"\$typedLine"
    local before=\${#typed[@]}
    [[ \$typedLine == *[[:space:]] ]] || before=\$((before - 1))
    for ((i = 1; i < before; i++)); do
        if [[ \${typed[i]} != -* ]]; then
            command=\${typed[i]}
            break
        fi
    done
    if [[ -z \$command ]]; then
        if [[ \$cur == -* ]]; then
            COMPREPLY=(\$(compgen -W "$globals" -- "\$cur"))
            [[ \${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        else
            COMPREPLY=(\$(compgen -W "$commands" -- "\$cur"))
        fi
        return
    fi
    local options="" value_lists=""
    case \$command in
$tables
    esac
    local pair
    for pair in \$value_lists; do
        if [[ \$prev == "\${pair%%=*}" ]]; then
            COMPREPLY=(\$(compgen -W "\$(tr '|' ' ' <<<"\${pair#*=}")" -- "\$cur"))
            return
        fi
    done
    if [[ \$cur == -* ]]; then
        COMPREPLY=(\$(compgen -W "\$options" -- "\$cur"))
        return
    fi
    # Everything else is a file: a measurement file, a device, an output.
    COMPREPLY=(\$(compgen -f -- "\$cur"))
    compopt -o filenames 2>/dev/null
}
complete -F _vantrel_cli vantrel-cli
SCRIPT
