#!/usr/bin/env bash
# Usage: windows-libraries.sh FOLDER
# Builds static MinGW-w64 libraries of SQLite, zlib and libharu into FOLDER/mingw (include/
# and lib/) for the Windows programs, from Debian's own source packages of the very versions of the
# Linux development packages installed here. The sources are fetched by apt through a private
# sources list under FOLDER, which apt checks against Debian's signed indexes (the machine's apt
# configuration is not touched), and unpacked with Debian's patches applied by dpkg-source. Does
# nothing when FOLDER/mingw already holds the libraries of those versions.
set -euo pipefail
out=$(realpath -m "$1")
prefix=$out/mingw
host=x86_64-w64-mingw32
cc=$host-gcc-posix

source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
wanted="$(source_of libsqlite3-dev) $(source_of zlib1g-dev) $(source_of libhpdf-dev)"
if [ "$(cat "$prefix/versions" 2>/dev/null)" = "$wanted" ]; then
  exit 0
fi
echo "== Windows libraries from Debian's sources: $wanted"
rm -rf "$prefix" "$out/src"
mkdir -p "$prefix/include" "$prefix/lib" "$out/src" "$out/apt/lists/partial" \
  "$out/apt/cache/archives/partial" "$out/downloads"

# The source packages, fetched once. Updates of a package come through the security and updates
# suites, so those are listed too.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$out/apt/sources.list" <<LIST
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main
LIST
apt_options=(-q -o "Dir::Etc::sourcelist=$out/apt/sources.list" -o Dir::Etc::sourceparts=-
             -o "Dir::State::Lists=$out/apt/lists" -o "Dir::Cache=$out/apt/cache"
             -o APT::Sandbox::User=root)
(
  cd "$out/downloads"
  # shellcheck disable=SC2086
  if ! ls ./*.dsc >/dev/null 2>&1 || [ "$(cat wanted 2>/dev/null)" != "$wanted" ]; then
    rm -f ./*
    apt-get "${apt_options[@]}" update >/dev/null
    for source in $wanted; do
      if apt-get "${apt_options[@]}" source --download-only "$source" >/dev/null 2>&1; then
        continue
      fi
      # Debian's mirrors no longer serve the Debian part of libharu 2.3.0+dfsg-1 (its
      # .debian.tar.xz is "404 Not Found"), only its .dsc and upstream tarball. Its two patches
      # touch the version string and the autotools build alone, neither of which is used here, so
      # for this one version the upstream tarball is built as it is, checked against the hash of
      # the signed index.
      if [ "$source" != libharu=2.3.0+dfsg-1 ]; then
        echo "windows-libraries.sh: the source package $source cannot be fetched" >&2
        exit 1
      fi
      # (apt lists only the files it has not fetched yet: it is asked from an empty folder.)
      mkdir -p ../uris
      (cd ../uris && apt-get "${apt_options[@]}" source --print-uris "$source") | grep "^'" |
        grep -v '\.debian\.tar\.' | while read -r uri file _ hash; do
          rm -f "$file"
          /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$file" "$hash" >/dev/null 2>&1 ||
            { echo "windows-libraries.sh: $file cannot be fetched" >&2; exit 1; }
        done
    done
    echo "$wanted" >wanted
  fi
  for dsc in ./*.dsc; do
    name=$(basename "$dsc")
    if ls "${name%.dsc}".debian.tar.* >/dev/null 2>&1; then
      dpkg-source --no-check -x "$dsc" "$out/src/${name%%_*}" >/dev/null
    else
      mkdir "$out/src/${name%%_*}"
      tar -xf "${name%%-*}".orig.tar.* -C "$out/src/${name%%_*}" --strip-components=1
    fi
  done
)

# SQLite: the one-file form of the engine made from the source tree (this needs tclsh and the
# machine's own C compiler), compiled with the options of Debian's Linux library, so that both
# systems run the same engine.
sqlite=$out/src/sqlite3
mkdir -p "$sqlite/native"
(cd "$sqlite/native" && ../configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
sqlite_options=(-DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3
                -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1
                -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOOKASIDE=1
                -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_ALLOW_ROWID_IN_VIEW
                -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1 -DSQLITE_ENABLE_LOAD_EXTENSION
                -DSQLITE_ENABLE_JSON1 -DSQLITE_LIKE_DOESNT_MATCH_BLOBS -DSQLITE_THREADSAFE=1
                -DSQLITE_ENABLE_FTS3_TOKENIZER=1 -DSQLITE_USE_URI=1 -DSQLITE_MAX_SCHEMA_RETRY=25
                -DSQLITE_ENABLE_PREUPDATE_HOOK -DSQLITE_ENABLE_SESSION -DSQLITE_ENABLE_STMTVTAB
                -DSQLITE_MAX_VARIABLE_NUMBER=250000)
"$cc" -O2 -fno-strict-aliasing "${sqlite_options[@]}" -c "$sqlite/native/sqlite3.c" \
  -o "$sqlite/native/sqlite3.o"
$host-ar rcs "$prefix/lib/libsqlite3.a" "$sqlite/native/sqlite3.o"
cp "$sqlite/native/sqlite3.h" "$sqlite/native/sqlite3ext.h" "$prefix/include/"

# zlib: its library sources, as its own makefile lists them.
zlib=$out/src/zlib
zlib_objects=()
for name in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
            inftrees trees uncompr zutil; do
  "$cc" -O2 -c "$zlib/$name.c" -o "$zlib/$name.o"
  zlib_objects+=("$zlib/$name.o")
done
$host-ar rcs "$prefix/lib/libz.a" "${zlib_objects[@]}"
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include/"

# libharu: its library sources, as its own CMake build lists them, with zlib and without libpng
# (the slips are text and lines), and the configuration header that build would write. Its
# warnings, of code not ours (the 64-bit Windows casts of its unused fax images), are not shown.
haru=$out/src/libharu
cat >"$haru/include/hpdf_config.h" <<'CONFIG'
#ifndef _INCLUDE_HPDF_CONFIG_H
#define _INCLUDE_HPDF_CONFIG_H 1
#define LIBHPDF_HAVE_INTTYPES_H 1
#define LIBHPDF_HAVE_LIBZ 1
#define LIBHPDF_HAVE_MEMORY_H 1
#define LIBHPDF_HAVE_STDINT_H 1
#define LIBHPDF_HAVE_STDLIB_H 1
#define LIBHPDF_HAVE_STRING_H 1
#define LIBHPDF_HAVE_SYS_STAT_H 1
#define LIBHPDF_HAVE_SYS_TYPES_H 1
#define LIBHPDF_HAVE_NOPNGLIB 1
#define HPDF_NOPNGLIB 1
#define LIBHPDF_PACKAGE_NAME "libhpdf"
#define LIBHPDF_PACKAGE_VERSION "2.3.0"
#define LIBHPDF_STDC_HEADERS 1
#endif
CONFIG
haru_objects=()
for source in $(sed -n '/^set(/,/^)/{s/^[[:space:]]*\(hpdf_[a-z0-9_]*\.c\)$/\1/p}' "$haru/src/CMakeLists.txt"); do
  "$cc" -O2 -w -I"$haru/include" -I"$prefix/include" -c "$haru/src/$source" -o "$haru/src/${source%.c}.o"
  haru_objects+=("$haru/src/${source%.c}.o")
done
if [ ${#haru_objects[@]} -lt 50 ]; then
  echo "windows-libraries.sh: libharu's sources are not where its CMake build lists them" >&2
  exit 1
fi
$host-ar rcs "$prefix/lib/libhpdf.a" "${haru_objects[@]}"
cp "$haru"/include/hpdf*.h "$prefix/include/"

echo "$wanted" >"$prefix/versions"
