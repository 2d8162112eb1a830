# Shared by the start and test scripts: installs missing Debian packages and configures.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# install_packages NAME...: installs those of the named Debian packages that are missing.
install_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if ((${#missing[@]})); then
        local sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        echo "Installing: ${missing[*]}"
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# Installs what scripts/packages.txt lists.
install_missing_packages() {
    local packages=() package
    while read -r package; do
        [[ -z "$package" || "$package" == \#* ]] && continue
        packages+=("$package")
    done <"$root/scripts/packages.txt"
    install_packages "${packages[@]}"
}

# configure DIR [cmake options...]
configure() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
