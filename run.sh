#!/bin/sh
# Installs what is missing, builds and starts Brindlet.
set -eu
cd "$(dirname "$0")"
sh tools/install-packages.sh
exec make run
