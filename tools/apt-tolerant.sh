# Sourced by the set-up scripts. A mirror caught mid-sync serves one index whose size does not match
# its Release file, sometimes for days: `apt-get update` then fails although every other list arrived,
# and the install may find the multi-arch libraries of the two architectures at versions that no
# longer match ("held broken packages"). Neither hiccup may stop the set-up by itself.

export DEBIAN_FRONTEND=noninteractive

# Retries, then goes on with the lists that did arrive: the packages rarely live only in the broken one.
apt_update_tolerant() {
  local who=$1 try
  for try in 1 2 3; do
    apt-get update -qq && return 0
    [ "$try" = 3 ] || sleep 5
  done
  echo "$who: apt-get update failed three times; going on with the package lists that arrived" >&2
  return 0
}

# apt_install_tolerant WHO SUITE PACKAGE...: when the install cannot resolve, tries once more with
# SUITE as the target release, so that both architectures come from that suite at matching versions.
apt_install_tolerant() {
  local who=$1 suite=$2
  shift 2
  apt-get install -y -qq --no-install-recommends "$@" >/dev/null && return 0
  echo "$who: the install did not resolve; trying once more with the $suite suite as target (-t $suite)" >&2
  apt-get install -y -qq --no-install-recommends -t "$suite" "$@" >/dev/null
}
