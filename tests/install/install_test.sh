#!/bin/sh
# Installs the build into a scratch prefix and uses it as hosts would: the C++ example
# through find_package, the Python example through ctypes, pkg-config, and the Debian
# package made by CPack.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -eu
BUILD=$1
SOURCE=$2
WORK=$(mktemp -d)
PACKAGE_INSTALLED=""
cleanup() {
    [ -n "$PACKAGE_INSTALLED" ] && dpkg -P nemro-formula-set > /dev/null 2>&1
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "install_test: $*" >&2; exit 1; }
expect() {  # expect FILE TEXT: FILE has a line that holds TEXT
    grep -qF -- "$2" "$1" || { cat "$1"; fail "expected '$2'"; }
}

PREFIX=$WORK/prefix
cmake --install "$BUILD" --prefix "$PREFIX" > "$WORK/install.log"
LIB=$(find "$PREFIX" -name 'libNemroFormulaSet.so' | head -n 1)
[ -n "$LIB" ] || fail "no libNemroFormulaSet.so installed"
LIBDIR=$(dirname "$LIB")
[ -f "$LIBDIR/FormulaSet.xml" ] || fail "no catalogue beside the library"
[ -f "$PREFIX/share/man/man1/nemro-formula.1" ] || fail "no man page"
readelf -d "$LIB" | grep -q 'SONAME.*libNemroFormulaSet.so.0' || fail "no soname"

# pkg-config gives flags that compile and link a C host.
PKG_CONFIG_PATH=$LIBDIR/pkgconfig
export PKG_CONFIG_PATH
cat > "$WORK/host.c" <<'C'
#include <stdio.h>
#include "nemro/nemro_c.h"
int main(void) {
    char* text = NULL;
    nemro_error error = {0, NULL, NULL};
    if (nemro_expression_evaluate(NULL, "1+2", &text, NULL, &error) != 0) return 1;
    printf("%s %s\n", nemro_version(), text);
    nemro_free(text);
    return 0;
}
C
# shellcheck disable=SC2046
cc -o "$WORK/host_c" "$WORK/host.c" $(pkg-config --cflags --libs NemroFormulaSet)
LD_LIBRARY_PATH=$LIBDIR "$WORK/host_c" > "$WORK/c.out"
expect "$WORK/c.out" "0.1.0 3"

# The C++ example against the installed CMake package.
cmake -S "$SOURCE/examples/cpp" -B "$WORK/cpp" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" \
    > "$WORK/cpp-configure.log" || { cat "$WORK/cpp-configure.log"; fail "find_package failed"; }
cmake --build "$WORK/cpp" > "$WORK/cpp-build.log" || { cat "$WORK/cpp-build.log"; fail "C++ example"; }
"$WORK/cpp/formula_host" > "$WORK/cpp.out"
expect "$WORK/cpp.out" "value: 5元"
expect "$WORK/cpp.out" "error 11: 除数为零。"
expect "$WORK/cpp.out" "rate: 0.17"

# The Python example through ctypes.
python3 "$SOURCE/examples/python/host.py" --library "$LIB" > "$WORK/py.out"
expect "$WORK/py.out" "value: 5元 (kind 8)"
expect "$WORK/py.out" "check: False 公式输入有误! 左右括号数目不一致! 16"
expect "$WORK/py.out" "stack: 2 ['ROUND(A1,2)', 'IF(A1,1,2)']"

# Both hosts open the real dialogs on a virtual display; Esc in the chooser cancels.
if command -v xvfb-run > /dev/null && command -v xdotool > /dev/null; then
    for host in "$WORK/cpp/formula_host --dialog" "python3 $SOURCE/examples/python/host.py --library $LIB --dialog"; do
        env -u QT_QPA_PLATFORM timeout 120 xvfb-run -a sh -c "
            $host > '$WORK/dialog.out' 2> '$WORK/dialog.err' & pid=\$!
            window=\$(xdotool search --sync --name '粘贴函数' | head -n 1)
            sleep 1
            xdotool key --window \"\$window\" Escape
            wait \$pid" || { cat "$WORK/dialog.err"; fail "dialog from: $host"; }
        expect "$WORK/dialog.out" "isCancel: true"
    done
fi

# The Debian package: built by CPack, unpacked, its tools run; installed for real when
# this runs as the superuser on a system without the package.
(cd "$BUILD" && cpack -G DEB -B "$WORK/deb" > "$WORK/cpack.log" 2>&1) || { tail -n 30 "$WORK/cpack.log"; fail "cpack"; }
DEB=$(find "$WORK/deb" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$DEB" ] || fail "no .deb made"
dpkg-deb -f "$DEB" Depends | grep -q libqt6widgets6 || fail "package does not depend on Qt"
dpkg-deb -x "$DEB" "$WORK/root"
"$WORK/root/usr/bin/nemro-formula" catalogue count ROUND > "$WORK/deb.out"
expect "$WORK/deb.out" "2"
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W -f="${Status}" nemro-formula-set 2> /dev/null | grep -q "ok installed"; then
    dpkg -i "$DEB" > "$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg -i"; }
    PACKAGE_INSTALLED=yes
    /usr/bin/nemro-formula eval '1+2' > "$WORK/system.out"
    expect "$WORK/system.out" "3"
    /usr/bin/nemro-formula catalogue exists ROUND > "$WORK/system.out"
    expect "$WORK/system.out" "true"
fi
echo "install_test: all hosts work"
