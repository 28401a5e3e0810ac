#!/usr/bin/env bash
# Installs the build into a temporary prefix and reads the tree as desktops do: the validators
# of the desktop entry, the AppStream file and the MIME package, the MIME lookup of layout files
# with and without extension, the thumbnailer entry run as a file manager runs it, and the
# installed programs started from the prefix, away from the build and source folders.
#   install_test.sh BUILD-DIR SOURCE-DIR
set -uo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A blank in the prefix: nothing may depend on a tidy path.
prefix="$work/the prefix"
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAILED: cmake --install"; exit 1; }

share="$prefix/share"
for f in bin/trevok bin/trevok-cli \
  share/applications/org.trevok.Trevok.desktop \
  share/metainfo/org.trevok.Trevok.metainfo.xml \
  share/mime/packages/trevok.xml \
  share/thumbnailers/trevok.thumbnailer \
  share/icons/hicolor/scalable/apps/trevok.svg \
  share/icons/hicolor/48x48/apps/trevok.png \
  share/icons/hicolor/256x256/apps/trevok.png \
  share/icons/hicolor/scalable/mimetypes/application-x-trevok-layout.svg \
  share/icons/hicolor/48x48/mimetypes/application-x-trevok-layout.png \
  share/man/man1/trevok.1.gz share/man/man1/trevok-cli.1.gz \
  share/doc/trevok/copyright; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
for x in bin/trevok bin/trevok-cli; do
  [ -x "$prefix/$x" ] || fail "not executable: $x"
done

# Every PNG icon is the size its folder names.
for png in "$share"/icons/hicolor/*x*/*/*.png; do
  size="$(basename "$(dirname "$(dirname "$png")")")"
  grep -q "PNG image data, ${size/x/ x }," <<<"$(file -b "$png")" || fail "icon size: $png is $(file -b "$png")"
done

desktop-file-validate "$share/applications/org.trevok.Trevok.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.trevok.Trevok.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "appstreamcli validate"; }
xmllint --noout "$share/mime/packages/trevok.xml" || fail "xmllint on the MIME package"
xmllint --noout "$share/metainfo/org.trevok.Trevok.metainfo.xml" || fail "xmllint on the AppStream file"
for page in trevok trevok-cli; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# The manual pages name every command and option the programs' --help names.
for page in trevok trevok-cli; do
  text="$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man1/$page.1.gz" 2>/dev/null | sed 's/\xe2\x80\x90/-/g')"
  help="$(QT_QPA_PLATFORM=offscreen "$prefix/bin/$page" --help 2>&1)"
  for option in $(printf '%s\n' "$help" | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "man $page lacks $option"
  done
  while read -r command; do
    grep -qF -- "$command" <<<"$text" || fail "man $page lacks the command \"$command\""
  done < <(printf '%s\n' "$help" | sed -n 's/^  \(export [a-z-]*\).*/\1/p; s/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' |
           grep -v '^export$')
done

# The MIME lookup through shared-mime-info's own database of the prefix (xdg-mime asks
# File::MimeInfo outside a desktop session). Layout files are known by extension and, without
# one, by their first four bytes; macro files by extension; other files stay theirs.
update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database"
mkdir -p "$work/files" "$work/data-home"
cp "$source/tests/fuzz/corpus/layout/v4.lay" "$work/files/board one.lay"
cp "$source/tests/fuzz/corpus/layout/v4.lay" "$work/files/board-without-extension"
cp "$source/tests/fuzz/corpus/layout/v0.lay" "$work/files/oldest-version"
cp "$source/tests/fuzz/corpus/macro/v4.lmk" "$work/files/part.lmk"
cp "$share/icons/hicolor/16x16/apps/trevok.png" "$work/files/picture"
printf '\x05\x33\xaa\xffnot a version we write' >"$work/files/version-five"
while IFS='|' read -r name expected; do
  got="$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_DIRS="$share:/usr/share" \
    XDG_DATA_HOME="$work/data-home" xdg-mime query filetype "$work/files/$name" 2>/dev/null)"
  [ "$got" = "$expected" ] || fail "xdg-mime: $name is \"$got\", expected $expected"
done <<'CASES'
board one.lay|application/x-trevok-layout
board-without-extension|application/x-trevok-layout
oldest-version|application/x-trevok-layout
part.lmk|application/x-trevok-macro
picture|image/png
CASES
got="$(env -u XDG_CURRENT_DESKTOP XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/data-home" \
  xdg-mime query filetype "$work/files/version-five" 2>/dev/null)"
[ "$got" != "application/x-trevok-layout" ] || fail "xdg-mime: a version-5 header counts as a layout"

# The installed programs, started from elsewhere with an empty user folder.
export TREVOK_HOME="$work/home"
export QT_QPA_PLATFORM=offscreen
version="$(cd / && "$prefix/bin/trevok-cli" --version)" || fail "installed trevok-cli --version"
[ "$version" = "trevok-cli $(sed -n 's/^project(Trevok VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")" ] ||
  fail "installed trevok-cli --version printed \"$version\""
"$prefix/bin/trevok" --version >/dev/null || fail "installed trevok --version"

# The thumbnailer entry's command line, with its fields filled as a file manager fills them.
exec_line="$(sed -n 's/^Exec=//p' "$share/thumbnailers/trevok.thumbnailer")"
read -r -a words <<<"$exec_line"
command=()
for w in "${words[@]}"; do
  case "$w" in
    %i) command+=("$work/files/board one.lay") ;;
    %o) command+=("$work/thumb.png") ;;
    %s) command+=(128) ;;
    *) command+=("$w") ;;
  esac
done
(cd / && PATH="$prefix/bin:$PATH" "${command[@]}") || fail "thumbnailer: ${command[*]}"
grep -q "PNG image data, 128 x 128, 8-bit/color RGBA" <<<"$(file -b "$work/thumb.png" 2>/dev/null)" ||
  fail "thumbnailer made: $(file -b "$work/thumb.png" 2>&1)"

# The editor from the prefix, opening a layout named by a file:// URI with a blank and a byte
# that is not UTF-8, as a desktop hands it over: the starter macros reach the empty user folder,
# and the opened file lands in the recent files of the settings.
odd="$work/files/Pl$(printf '\xe4')ne 2.lay"
cp "$source/tests/fuzz/corpus/layout/v4.lay" "$odd"
(cd / && exec "$prefix/bin/trevok" --language en "file://$work/files/Pl%E4ne%202.lay") >"$work/trevok.log" 2>&1 &
pid=$!
ini="$TREVOK_HOME/TREVOK40.INI"
for _ in $(seq 1 120); do
  if grep -q 'E4ne' "$ini" 2>/dev/null && [ -n "$(find "$TREVOK_HOME/Makros" -name '*.lmk' 2>/dev/null | head -1)" ]; then
    break
  fi
  sleep 0.5
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
count="$(find "$TREVOK_HOME/Makros" -iname '*.lmk' 2>/dev/null | wc -l)"
[ "$count" -gt 10 ] || { cat "$work/trevok.log"; fail "installed trevok put $count starter macros into the user folder"; }
grep -q 'E4ne%202.lay\|E4ne 2.lay' "$ini" 2>/dev/null ||
  { cat "$work/trevok.log"; cat "$ini" 2>/dev/null; fail "installed trevok did not open the file:// URI"; }

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed tree in order"
