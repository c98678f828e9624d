#!/usr/bin/env bash
# Validates the menu entry and the AppStream metainfo with Debian's own validators.
# Usage: desktop_entry.sh <vetrinova.desktop> <metainfo.xml>
set -u
entry=$1
metainfo=$2
missing=()
command -v desktop-file-validate >/dev/null || missing+=(desktop-file-validate)
command -v appstreamcli >/dev/null || missing+=(appstreamcli)
if [ ${#missing[@]} -ne 0 ]; then
  echo "SKIPPED: ${missing[*]} non installato (pacchetti desktop-file-utils, appstream: scripts/install-deps)"
  exit 77
fi
status=0
desktop-file-validate "$entry" || status=1
# Strict: a warning fails too; --no-net: no address is fetched.
appstreamcli validate --no-net --strict "$metainfo" || status=1
exit $status
