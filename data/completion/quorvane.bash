# bash completion for quorvane, quorvane-sim and quorvane-dde; installed once under each name.
# Plain bash: it needs none of bash-completion's helpers.

# Where udev keeps the serial devices' stable names (they survive replugging into another socket).
_quorvane_serial_by_id=/dev/serial/by-id

# Appends each line a command prints to COMPREPLY, unsplit and unglobbed.
_quorvane_add() {
    local line
    while IFS= read -r line; do
        COMPREPLY+=("$line")
    done < <("$@")
}

# Configuration files (.QV3, .QV1, in any case) and the folders on the way to them.
_quorvane_config_files() {
    compopt -o filenames 2>/dev/null
    _quorvane_add compgen -d -- "$1"
    _quorvane_add compgen -f -X '!*.[Qq][Vv][13]' -- "$1"
}

# Serial devices: the stable names when nothing is typed yet, else any path.
_quorvane_devices() {
    compopt -o filenames 2>/dev/null
    if [[ -z $1 ]]; then
        _quorvane_add compgen -G "$_quorvane_serial_by_id/*"
        [[ ${#COMPREPLY[@]} -gt 0 ]] && return
        _quorvane_add compgen -G '/dev/ttyUSB*'
        _quorvane_add compgen -G '/dev/ttyACM*'
        _quorvane_add compgen -G '/dev/ttyS*'
        [[ ${#COMPREPLY[@]} -gt 0 ]] && return
    fi
    _quorvane_add compgen -f -- "$1"
}

_quorvane() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -- ]]; then
            _quorvane_config_files "$cur"
            return
        fi
    done
    if [[ $prev == --device ]]; then
        _quorvane_devices "$cur"
    elif [[ $prev == --keystrokes ]]; then
        _quorvane_add compgen -W 'auto x11 wayland uinput' -- "$cur"
    elif [[ $prev == --mqtt ]]; then
        _quorvane_add compgen -W 'mqtt:// mqtts://' -- "$cur"
    elif [[ $prev == --instrument ]]; then
        return
    elif [[ $cur == -* ]]; then
        _quorvane_add compgen -W '--headless --device --wait-for-device --trace-dde --quiet --keystrokes --mqtt --instrument --dump --convert --help --version --' -- "$cur"
    else
        _quorvane_config_files "$cur"
    fi
}

_quorvane_sim() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $prev in
    --profile) _quorvane_add compgen -W 'balance caliper scanner' -- "$cur" ;;
    --replay | --link)
        compopt -o filenames 2>/dev/null
        _quorvane_add compgen -f -- "$cur"
        ;;
    --rate | --baud | --count | --seed) ;;
    *)
        _quorvane_add compgen -W '--profile --rate --count --fast --seed --replay --baud --loop --link --help' \
            -- "$cur"
        ;;
    esac
}

_quorvane_dde() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [[ $COMP_CWORD -eq 1 ]]; then
        _quorvane_add compgen -W 'exec request items watch serve --help' -- "$cur"
    elif [[ $COMP_CWORD -eq 2 ]]; then
        _quorvane_add compgen -W 'Quorvane' -- "$cur"
    fi
}

complete -F _quorvane quorvane
complete -F _quorvane_sim quorvane-sim
complete -F _quorvane_dde quorvane-dde
