#!/bin/sh
# Installs what is missing, builds and runs the whole test suite, headless.
set -eu
cd "$(dirname "$0")"
sh tools/install-packages.sh
exec make test
