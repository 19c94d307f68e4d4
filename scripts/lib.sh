# Shared by scripts/demo and scripts/test: install what the build needs,
# then configure and build into a folder.

KAV_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsnmp-dev snmp snmpd
  libtinyxml-dev zlib1g-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev
  python3 python3-pyftpdlib
  libxml2-utils gzip tftp-hpa curl iproute2
)

kav_install_packages() {
  local missing=()
  for p in "${KAV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. As root, run:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null ||
    { apt-get update >/dev/null && apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null; }
}

# kav_build DIR [cmake options...]
kav_build() {
  local dir=$1; shift
  local gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$KAV_ROOT" -B "$dir" "${gen[@]}" "$@" >/dev/null
  else
    cmake -S "$KAV_ROOT" -B "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)"
}
