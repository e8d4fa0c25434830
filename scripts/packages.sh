# The Debian packages this project needs, kept in this one place.
# Sourced by scripts/build, scripts/test, scripts/run and scripts/fuzz (clang and its runtime
# build the libFuzzer harnesses that scripts/test runs).

# Building, testing and running the program.
ORVANE_PACKAGES=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-svg-dev libqcustomplot-dev
  poppler-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  clang libclang-rt-14-dev
  locales
)

# Generates the German locale the user-interface tests run under a second time (a comma for
# the decimal separator), when the system does not have it yet.
orvane_ensure_comma_locale() {
  if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    return 0
  fi
  echo "Generating the de_DE.UTF-8 locale"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen
  $sudo locale-gen >/dev/null
}

# Installs whichever of the given packages are missing.
orvane_ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
