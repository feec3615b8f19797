# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PACKAGES=(cmake g++ make qt6-base-dev qt6-serialport-dev libgl-dev
          fonts-dejavu-core xvfb clang libclang-rt-14-dev locales poppler-utils)

zyl_install_packages() {
    zyl_install_debian_packages
    # A Polish locale (decimal comma) for the tests that prove number texts ignore it.
    if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo localedef -i pl_PL -f UTF-8 pl_PL.UTF-8 || echo "no pl_PL.UTF-8 locale: its tests skip"
    fi
}

zyl_install_debian_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# zyl_build DIR [cmake options...]; ZYL_TARGETS limits the build to those targets.
zyl_build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    if [ -n "${ZYL_TARGETS:-}" ]; then
        # shellcheck disable=SC2086
        cmake --build "$dir" -j "$(nproc)" --target $ZYL_TARGETS
    else
        cmake --build "$dir" -j "$(nproc)"
    fi
}
