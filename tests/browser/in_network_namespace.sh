#!/bin/sh
# Runs COMMAND [ARG...] in a private network namespace with its loopback up
# and one more address on it, 192.0.2.10 (a documentation address, exported as
# VAREKO_TEST_LAN_ADDRESS), that stands for the machine's address on a local
# network. The addresses and ports a browser test uses exist for it alone and
# never on a real network. Exits 77 ("skipped") when no namespace can be made.
set -eu
if [ "${VAREKO_TEST_NETNS:-}" != 1 ]; then
  flags=-n
  [ "$(id -u)" -eq 0 ] || flags=-rn  # a user namespace lends the rights it needs
  if ! unshare "$flags" true 2>/dev/null; then
    echo "skipped: cannot create a network namespace"
    exit 77
  fi
  VAREKO_TEST_NETNS=1 exec unshare "$flags" "$0" "$@"
fi
ip link set lo up
ip addr add 192.0.2.10/32 dev lo
export VAREKO_TEST_LAN_ADDRESS=192.0.2.10
exec "$@"
