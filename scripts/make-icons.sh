#!/usr/bin/env bash
# Regenerates the installed icons (PNG for the desktop, ICO for the Windows executable) from
# the hand-drawn XPM that the window itself uses. Needs imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
convert ui/pelmora_icon.xpm -define png:exclude-chunks=date,time app/icons/org.pelmora.Pelmora.png
convert ui/pelmora_icon.xpm app/icons/pelmora.ico
