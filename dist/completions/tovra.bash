# bash completion for tovra
_tovra() {
    local current previous
    current=${COMP_WORDS[COMP_CWORD]}
    previous=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="toggle on off paste-next paste-all show-queue show-overlay preferences stack clear quit status"
    case $previous in
        stack)
            mapfile -t COMPREPLY < <(compgen -W "1 2 3" -- "$current")
            return
            ;;
        -display | -platform | -style)
            return
            ;;
        toggle | on | off | paste-next | paste-all | show-queue | show-overlay | preferences | \
            clear | quit | status | 1 | 2 | 3 | --help | -h | --version)
            return
            ;;
    esac
    if [[ $current == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--start --debug -display --help --version" -- "$current")
    else
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$current")
    fi
}
complete -F _tovra tovra
