#!/usr/bin/env bash
# The Debian package of what this build made: CPack's DEB generator packs the build's stripped
# installation (no second compile; scripts/make-deb.sh is the user's command and builds Release),
# then dpkg-deb reads its control data and contents and lintian judges it.
#   package_test.sh BUILD-DIR SOURCE-DIR
set -uo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr --strip >/dev/null ||
  { echo "FAILED: cmake --install"; exit 1; }
# gzip instead of the package's xz: the test build's sanitizer binaries are large and the
# compression would take minutes.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" \
  -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$work/stage;." \
  -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb="$(ls "$work"/out/trevok_*.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAILED: no package made"; exit 1; }

# Control data: the dependencies dpkg-shlibdeps found, the Qt runtime libraries among them.
info="$(dpkg-deb -I "$deb")" || fail "dpkg-deb -I"
depends="$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')"
names="$(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//')"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6printsupport6 libc6 libstdc++6; do
  grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done
for field in "Package: trevok" "Section: electronics" "Architecture: $(dpkg --print-architecture)"; do
  grep -q "^ $field$" <<<"$info" || fail "control lacks \"$field\""
done

# Contents.
contents="$(dpkg-deb -c "$deb" | awk '{print $6}')" || fail "dpkg-deb -c"
for f in usr/bin/trevok usr/bin/trevok-cli \
  usr/share/applications/org.trevok.Trevok.desktop \
  usr/share/metainfo/org.trevok.Trevok.metainfo.xml \
  usr/share/mime/packages/trevok.xml \
  usr/share/thumbnailers/trevok.thumbnailer \
  usr/share/icons/hicolor/scalable/apps/trevok.svg \
  usr/share/icons/hicolor/48x48/apps/trevok.png \
  usr/share/icons/hicolor/scalable/mimetypes/application-x-trevok-layout.svg \
  usr/share/man/man1/trevok.1.gz usr/share/man/man1/trevok-cli.1.gz \
  usr/share/doc/trevok/copyright usr/share/doc/trevok/changelog.gz; do
  grep -qx "\./$f" <<<"$contents" || fail "package lacks /$f"
done

# lintian: no errors; the warnings are listed. It ends with 1 for errors, 2 when it cannot run.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
status=$?
grep -E '^[EW]: ' "$work/lintian.log"
if [ "$status" -gt 1 ]; then
  cat "$work/lintian.log"
  fail "lintian did not run"
elif [ "$status" -eq 1 ] || grep -q '^E: ' "$work/lintian.log"; then
  fail "lintian reports errors"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package in order: $(basename "$deb")"
