# bash completion for halvernctl
_halvernctl() {
    local cur prev words cword
    _init_completion || return

    local devices="mouse mouse-receiver keyboard keyboard-receiver mousepad headset"
    local commands="list doctor info effect profile show dpi dpi-active polling light same-mode key macro write-macros
        flags repeat custom-color update-check language"

    case $prev in
        --emulate)
            # A comma list: complete the name after the last comma.
            local done=${cur%,*} word
            [[ $cur == *,* ]] && done="$done," || done=""
            COMPREPLY=()
            for word in $devices; do
                [[ $word == "${cur##*,}"* ]] && COMPREPLY+=("$done$word")
            done
            compopt -o nospace
            return ;;
        --emulator-state) _filedir -d; return ;;
        --capture) _filedir; return ;;
        --device) COMPREPLY=($(compgen -W "mouse keyboard" -- "$cur")); return ;;
    esac

    # The command is the first word after the global options.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --emulate | --emulator-state | --capture) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--emulate --emulator-state --capture --json --help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    case $command in
        doctor) COMPREPLY=($(compgen -W "--udev-rules" -- "$cur")) ;;
        info) COMPREPLY=($(compgen -W "mouse keyboard mousepad" -- "$cur")) ;;
        show) COMPREPLY=($(compgen -W "mouse keyboard" -- "$cur")) ;;
        profile)
            if ((cword == i + 1)); then
                COMPREPLY=($(compgen -W "mouse keyboard MousePad HD" -- "$cur"))
            elif ((cword == i + 2)); then
                COMPREPLY=($(compgen -W "list add copy delete rename select reset export import" -- "$cur"))
            else
                _filedir
            fi ;;
        macro)
            if ((cword == i + 1)); then
                COMPREPLY=($(compgen -W "list add rename delete import export" -- "$cur"))
            else
                _filedir
            fi ;;
        light) COMPREPLY=($(compgen -W "--mode --brightness --speed --direction --multicolor --color --zzcc
            --group --screen --device" -- "$cur")) ;;
        dpi) COMPREPLY=($(compgen -W "--slider --dpi --y-slider --y-dpi --enable --color --screen" -- "$cur")) ;;
        flags) COMPREPLY=($(compgen -W "--win-lock --w --key6" -- "$cur")) ;;
        repeat) COMPREPLY=($(compgen -W "--rate --delay" -- "$cur")) ;;
        custom-color) COMPREPLY=($(compgen -W "--all --key --off" -- "$cur")) ;;
        update-check) COMPREPLY=($(compgen -W "--server --json" -- "$cur")) ;;
        polling | key | write-macros | dpi-active) COMPREPLY=($(compgen -W "--device --screen" -- "$cur")) ;;
    esac
}
complete -F _halvernctl halvernctl
