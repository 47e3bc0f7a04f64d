#!/usr/bin/env bash
# Installs the Debian 12 packages Tessaly needs to build, run and test.
# Sourced by run.sh and test.sh; idempotent and quiet when everything is present.

TESSALY_PACKAGES=(
    # toolchain
    build-essential cmake ninja-build pkg-config clang-format
    # Qt 6
    qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
    qt6-image-formats-plugins libqt6svg6 qt6-qpa-plugins
    qml6-module-qtquick qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript
    qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
    qml6-module-qtquick-window qml6-module-qt-labs-platform qml6-module-qtquick-dialogs
    # libraries
    libplist-dev libicu-dev libsimdjson-dev
    libxcb1-dev libxcb-xfixes0-dev libxcb-xtest0-dev libxcb-ewmh-dev libxcb-xkb-dev
    libxcb-res0-dev libxcb-shape0-dev libxcb-xinput-dev libxkbcommon-dev libxkbcommon-x11-dev
    libwayland-dev libwayland-bin plasma-wayland-protocols
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev python3
    xvfb openbox xclip xdotool x11-xkb-utils xkb-data x11-utils xterm xcompmgr
    # headless Wayland compositors (wlroots, KDE's), their clipboard and keyboard tools, and Qt's
    # Wayland platform for native text fields
    sway kwin-wayland wl-clipboard wtype qt6-wayland
    # GNOME's keyboard settings (their schema), where the GNOME hot key is written
    gnome-settings-daemon-common
    # trays: an XEmbed one, a StatusNotifier one of the tests' own (python3-dbus), a dark theme
    trayer python3-dbus qt6-gtk-platformtheme
    # the package and its checks; colour emoji
    desktop-file-utils appstream lintian file fonts-noto-color-emoji
    dbus dbus-x11 at-spi2-core libglib2.0-bin x11-xserver-utils
    # a GTK 3 text field (Python) for the caret tests
    python3-gi gir1.2-gtk-3.0
    # a desktop icon theme and fonts for the panel
    hicolor-icon-theme adwaita-icon-theme fonts-dejavu-core
)

tessaly_install_deps() {
    local missing=()
    local pkg
    for pkg in "${TESSALY_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds into $1 (default: build) with the given build type.
tessaly_build() {
    local dir="${1:-build}"
    local type="${2:-RelWithDebInfo}"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    cmake --build "$dir" --parallel "$(nproc)"
}
