#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev clang-format make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-liberation
  xvfb xauth xdotool xclip x11-utils imagemagick libxcb1-dev
  weston qt6-wayland wl-clipboard
  dbus at-spi2-core python3-pyatspi qt6-gtk-platformtheme
  openssl wswedish wamerican
  dpkg-dev lintian desktop-file-utils appstream bash-completion zsh
  emscripten chromium firefox-esr webkit2gtk-driver openbox
  postfix dovecot-imapd mutt
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

# The browser page's tests run in node; a machine that has its own node
# (and npm) keeps it, one without gets Debian's.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

if ((${#missing[@]})); then
  echo "Installerar saknade paket: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  # The mail test starts its own Postfix and Dovecot; the machine's mail set-up
  # stays as it was. A Postfix installed here gets no configuration, and the
  # system services of packages installed here are stopped and left off;
  # --no-remove refuses to replace another mail server.
  mail_services=()
  installed postfix || mail_services+=(postfix.service)
  installed dovecot-core || mail_services+=(dovecot.service dovecot.socket)
  if ! installed postfix; then
    echo "postfix postfix/main_mailer_type select No configuration" | "${sudo_cmd[@]}" debconf-set-selections
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends --no-remove "${missing[@]}"
  if ((${#mail_services[@]})) && [[ -d /run/systemd/system ]]; then
    "${sudo_cmd[@]}" systemctl disable --now "${mail_services[@]}"
  fi
fi
