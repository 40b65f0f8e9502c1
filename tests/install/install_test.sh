#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and checks it as a
# user and the desktop's tools see it: install_test.sh BUILD-DIR
set -u
BUILD=$1
WORK=$(mktemp -d)
HOST_PID=
cleanup() {
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (scripts/install-deps.sh --with-tests installs it)"; exit 0; }; }
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian man update-mime-database readelf; do
  need "$tool"
done

# The package, as cpack builds it.
if ! cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1; then
  cat "$WORK/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
DEB=$(ls "$WORK"/pkg/quillmark_*.deb)
depends=$(dpkg-deb -f "$DEB" Depends)
for dep in libc6 libqt6widgets6 libicu72 libzip4 libgsf-1-114 qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT"
ARCH=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
LIB=$ROOT/usr/lib/$ARCH/quillmark
SHARE=$ROOT/usr/share
for file in usr/bin/quill-host usr/bin/quillmark \
            usr/lib/$ARCH/quillmark/libQuillmark.so usr/lib/$ARCH/quillmark/libqm_vbide.so \
            usr/lib/$ARCH/quillmark/libqm_excel_xls.so \
            usr/lib/$ARCH/quillmark/libqm_cli_transfer.so usr/lib/$ARCH/quillmark/libqm_cli_memory.so \
            usr/lib/$ARCH/quillmark/libqm_cli_review.so usr/lib/$ARCH/quillmark/libqm_cli_fit.so \
            usr/lib/$ARCH/quillmark/Quillmark.chm usr/lib/$ARCH/quillmark/de/Quillmark.chm \
            usr/share/applications/com.corvane.Quillmark.desktop \
            usr/share/metainfo/com.corvane.Quillmark.metainfo.xml \
            usr/share/mime/packages/com.corvane.Quillmark.xml \
            usr/share/icons/hicolor/scalable/apps/com.corvane.Quillmark.svg \
            usr/share/man/man1/quillmark.1.gz usr/share/man/man1/quill-host.1.gz \
            usr/share/quillmark/demo/Demo.vbp usr/share/quillmark/demo/Demo.res \
            usr/share/doc/quillmark/copyright usr/share/doc/quillmark/changelog.gz; do
  [ -f "$ROOT/$file" ] || fail "$file is not in the package"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$SHARE/icons/hicolor/${size}x$size/apps/com.corvane.Quillmark.png
  if [ ! -f "$png" ]; then fail "no ${size}px icon"; continue; fi
  # The PNG header holds width and height as 32-bit big-endian numbers at offset 16.
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] || fail "${size}px icon has another size"
done
# The programs find their libraries beside each other, never in the build folder.
for program in quill-host quillmark; do
  readelf -d "$ROOT/usr/bin/$program" | grep -q "R.*PATH.*\[\$ORIGIN/../lib/$ARCH/quillmark\]" \
    || fail "$program: $(readelf -d "$ROOT/usr/bin/$program" | grep PATH)"
done
# A sanitizer build keeps the source names of its generated files for its
# reports; those binaries are left out of the check, every other file is in it.
: >"$WORK/mentions"
while IFS= read -r -d '' file; do
  if readelf -d "$file" 2>/dev/null | grep -q 'NEEDED.*libasan'; then continue; fi
  grep -qF "$(cd "$BUILD" && pwd -P)" "$file" && echo "$file" >>"$WORK/mentions"
done < <(find "$ROOT" -type f -print0)
[ -s "$WORK/mentions" ] && fail "files name the build folder: $(cat "$WORK/mentions")"

# The installed programs run from the root.
export QM_REGISTRY_FILE=$WORK/registry.reg XDG_CONFIG_HOME=$WORK/config
out=$("$ROOT/usr/bin/quillmark" --version) || fail "quillmark --version failed"
grep -qE '^quillmark [0-9.]+$' <<<"$out" || fail "quillmark --version: $out"
"$ROOT/usr/bin/quillmark" dump "$SHARE/quillmark/demo/Demo.res" >"$WORK/dump" || fail "quillmark dump failed"
grep -q $'^1041\t' "$WORK/dump" || fail "the demo's Japanese strings are not in the dump: $(head -3 "$WORK/dump")"
# export and import load their module from the private folder too.
"$ROOT/usr/bin/quillmark" export "$SHARE/quillmark/demo/Demo.res" "$WORK/demo.xlsx" --sheet Demo \
  || fail "quillmark export failed"
"$ROOT/usr/bin/quillmark" import "$WORK/demo.xlsx" "$SHARE/quillmark/demo/Demo.res" --sheet Demo --dry-run \
  || fail "quillmark import --dry-run failed"
# An .xls book loads the .xls back end from there too.
"$ROOT/usr/bin/quillmark" export "$SHARE/quillmark/demo/Demo.res" "$WORK/demo.xls" --sheet Demo \
  || fail "quillmark export to .xls failed"
"$ROOT/usr/bin/quillmark" import "$WORK/demo.xls" "$SHARE/quillmark/demo/Demo.res" --sheet Demo --dry-run \
  || fail "quillmark import --dry-run of an .xls book failed"
# So do the commands of the memory and review modules.
QM_MEMORY_FILE=$WORK/memory.db "$ROOT/usr/bin/quillmark" memory stats >"$WORK/stats" || fail "quillmark memory stats failed"
grep -q "^$WORK/memory.db: 0 translations" "$WORK/stats" || fail "quillmark memory stats: $(cat "$WORK/stats")"
"$ROOT/usr/bin/quillmark" pseudo "$SHARE/quillmark/demo/Demo.res" -o "$WORK/pseudo.res" >/dev/null || fail "quillmark pseudo failed"
"$ROOT/usr/bin/quillmark" diff "$SHARE/quillmark/demo/Demo.res" "$WORK/pseudo.res" >/dev/null
[ $? = 1 ] || fail "quillmark diff did not find the pseudo texts"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ROOT/usr/bin/quill-host" --help >"$WORK/help" \
  || fail "quill-host --help failed without a display"
grep -q '^Usage: quill-host' "$WORK/help" || fail "quill-host --help: $(cat "$WORK/help")"

# At its first start the host registers the add-in installed beside it.
QT_QPA_PLATFORM=offscreen "$ROOT/usr/bin/quill-host" >"$WORK/host.log" 2>&1 &
HOST_PID=$!
# The key is written before its value, so wait for the value itself, for as
# long as the host runs: a slow machine only takes longer.
ADDIN_ENTRY="\"$(cd "$LIB" && pwd -P)/libQuillmark.so\""
while kill -0 "$HOST_PID" 2>/dev/null; do
  grep -qF "$ADDIN_ENTRY" "$QM_REGISTRY_FILE" 2>/dev/null && break
  sleep 0.2
done
kill "$HOST_PID" 2>/dev/null
wait "$HOST_PID" 2>/dev/null
HOST_PID=
grep -qF "$ADDIN_ENTRY" "$QM_REGISTRY_FILE" 2>/dev/null \
  || fail "the host did not register its add-in: $(cat "$QM_REGISTRY_FILE" 2>/dev/null) $(cat "$WORK/host.log")"

# What the desktop's tools say of the files.
desktop-file-validate "$SHARE/applications/com.corvane.Quillmark.desktop" >"$WORK/desktop.log" 2>&1 \
  || fail "desktop-file-validate: $(cat "$WORK/desktop.log")"
appstreamcli validate --no-net "$SHARE/metainfo/com.corvane.Quillmark.metainfo.xml" >"$WORK/appstream.log" 2>&1 \
  || fail "appstreamcli validate: $(cat "$WORK/appstream.log")"
mkdir -p "$WORK/mime/packages"
cp "$SHARE/mime/packages/com.corvane.Quillmark.xml" /usr/share/mime/packages/freedesktop.org.xml "$WORK/mime/packages/"
XDG_DATA_DIRS=$WORK:/usr/share update-mime-database "$WORK/mime" >"$WORK/mime.log" 2>&1 || fail "update-mime-database: $(cat "$WORK/mime.log")"
[ -s "$WORK/mime.log" ] && fail "update-mime-database: $(cat "$WORK/mime.log")"
for page in quillmark quill-host; do
  MANWIDTH=80 man --warnings -E UTF-8 -l "$SHARE/man/man1/$page.1.gz" 2>"$WORK/man.log" >/dev/null
  [ -s "$WORK/man.log" ] && fail "man $page: $(cat "$WORK/man.log")"
done
lintian --no-tag-display-limit "$DEB" >"$WORK/lintian.log" 2>&1
if grep -q '^E: ' "$WORK/lintian.log"; then fail "lintian: $(grep '^E: ' "$WORK/lintian.log")"; fi
grep '^W: ' "$WORK/lintian.log" | sed 's/^/lintian warning: /'

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "the package installs and passes its checks"
