#!/bin/sh
# Adds Vetrinova to the desktop's menu for the current user, pointing at the folder this script is
# in; with --togli removes the entry and the icon again. Running it twice changes nothing.
set -eu

uso="Uso: aggiungi-al-menu.sh [--togli]"
togli=0
case "${1-}" in
  "") ;;
  --togli) togli=1 ;;
  -h|--help)
    echo "$uso"
    echo "Aggiunge Vetrinova al menu del desktop per l'utente attuale; con --togli lo toglie."
    exit 0 ;;
  *) echo "$uso" >&2; exit 2 ;;
esac

# The entry belongs in a user's own home: as root that is only right when a home is given.
if [ "$(id -u)" -eq 0 ] && { [ -z "${HOME-}" ] || [ "$HOME" = "/" ] || [ ! -d "$HOME" ]; }; then
  echo "aggiungi-al-menu.sh: eseguito come amministratore senza una cartella personale (HOME): eseguirlo come l'utente che userà Vetrinova." >&2
  exit 1
fi
if [ -z "${HOME-}" ] || [ ! -d "$HOME" ]; then
  echo "aggiungi-al-menu.sh: la cartella personale (HOME) non esiste." >&2
  exit 1
fi

cartella=$(cd "$(dirname "$0")" && pwd -P)
dati="${XDG_DATA_HOME:-$HOME/.local/share}"
voce="$dati/applications/vetrinova.desktop"
info="$dati/metainfo/it.vetrinova.Vetrinova.metainfo.xml"
misure="16 22 24 32 48 64 128 256"

aggiorna_cache() {
  if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$dati/applications" 2>/dev/null || true
  fi
  if command -v gtk-update-icon-cache >/dev/null 2>&1 && [ -f "$dati/icons/hicolor/index.theme" ]; then
    gtk-update-icon-cache -q -t "$dati/icons/hicolor" 2>/dev/null || true
  fi
}

if [ "$togli" -eq 1 ]; then
  rm -f "$voce" "$info" "$dati/icons/hicolor/scalable/apps/vetrinova.svg"
  for n in $misure; do
    rm -f "$dati/icons/hicolor/${n}x${n}/apps/vetrinova.png"
  done
  aggiorna_cache
  echo "Vetrinova è stato tolto dal menu. La cartella $cartella e i suoi dati restano dove sono."
  exit 0
fi

if [ ! -x "$cartella/Vetrinova" ]; then
  echo "aggiungi-al-menu.sh: in $cartella manca il programma Vetrinova." >&2
  exit 1
fi
case "$cartella" in
  *'
'*) echo "aggiungi-al-menu.sh: il nome della cartella contiene un a capo: spostare la cartella." >&2; exit 1 ;;
esac

# Exec takes the path in double quotes with \ " ` $ escaped, then the whole value escapes \ again and %.
citato=$(printf '%s' "$cartella/Vetrinova" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
percorso=$(printf '%s' "$cartella" | sed -e 's/\\/\\\\/g')

mkdir -p "$dati/applications" "$dati/metainfo" "$dati/icons/hicolor/scalable/apps"
for n in $misure; do
  mkdir -p "$dati/icons/hicolor/${n}x${n}/apps"
  cp "$cartella/icone/hicolor/${n}x${n}/apps/vetrinova.png" "$dati/icons/hicolor/${n}x${n}/apps/vetrinova.png"
done
cp "$cartella/icone/hicolor/scalable/apps/vetrinova.svg" "$dati/icons/hicolor/scalable/apps/vetrinova.svg"
cp "$cartella/icone/it.vetrinova.Vetrinova.metainfo.xml" "$info"

# Written whole to a temporary, then renamed: a menu never sees half an entry.
{
  grep -v -e '^Exec=' -e '^Path=' "$cartella/icone/vetrinova.desktop"
  printf 'Exec="%s"\nPath=%s\n' "$citato" "$percorso"
} > "$voce.tmp"
mv -f "$voce.tmp" "$voce"
aggiorna_cache
echo "Vetrinova è nel menu del desktop (Ufficio). Programma: $cartella/Vetrinova"
