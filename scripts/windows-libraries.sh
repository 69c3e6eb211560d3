#!/usr/bin/env bash
# Usage: windows-libraries.sh FOLDER
# Builds static MinGW-w64 libraries of SQLite and zlib into FOLDER/mingw (include/
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
wanted="$(source_of libsqlite3-dev) $(source_of zlib1g-dev)"
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
    apt-get "${apt_options[@]}" source --download-only $wanted >/dev/null
    echo "$wanted" >wanted
  fi
  for dsc in ./*.dsc; do
    name=$(basename "$dsc")
    dpkg-source --no-check -x "$dsc" "$out/src/${name%%_*}" >/dev/null
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

echo "$wanted" >"$prefix/versions"
