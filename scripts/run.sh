#!/usr/bin/env bash
# Installs what the build needs, builds the program and launches it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

corvanta_install "${CORVANTA_BUILD_PACKAGES[@]}"
corvanta_build corvanta

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    corvanta_say "built $CORVANTA_BUILD/app/corvanta; no display to show it on"
    exit 1
fi
exec "$CORVANTA_BUILD/app/corvanta"
