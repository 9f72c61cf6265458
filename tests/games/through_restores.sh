#!/bin/sh
# Replays a game's transcript with the game saved and loaded again before
# every command: each reply must stay as the transcript says, so a world
# rebuilt from a snapshot plays on exactly as the one it was copied from.
#   through_restores.sh KIVPLAY_FOLDER TRANSCRIPT GAME_FILE
set -e
test -e "$1/kiv.dic" || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Saves are written under the game's folder: a copy of it keeps them out
# of the source tree.
cp -R "$(dirname "$3")/." "$work/"
rm -rf "$work/saves"
awk '/^> / {
  print "> сохранить проверка"
  print "Игра сохранена под именем «проверка»."
  print "> загрузить проверка"
  print "Сохранение «проверка» загружено."
}
{ print }' "$2" > "$work/through-restores.txt"
"$1/kivplay" --transcript "$work/through-restores.txt" "$work/$(basename "$3")"
