#!/bin/sh
# Installs the build into a scratch prefix and uses it as hosts would: a C host through
# pkg-config, the C++ example through find_package, the Python example through ctypes, and
# the Debian package made by CPack.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -eu
BUILD=$1 SOURCE=$2 WORK=$(mktemp -d) PURGE=""
trap '[ -z "$PURGE" ] || dpkg -P nemro-formula-set > /dev/null 2>&1; rm -rf "$WORK"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }
# run NAME COMMAND...: the output goes to $WORK/NAME and is shown when the command fails
run() { name=$1; shift; "$@" > "$WORK/$name" 2>&1 || { tail -n 40 "$WORK/$name"; fail "$*"; }; }
# expect NAME TEXT...: $WORK/NAME holds each TEXT
expect() {
    name=$1; shift
    for text; do grep -qF -- "$text" "$WORK/$name" || { cat "$WORK/$name"; fail "expected '$text'"; }; done
}

PREFIX=$WORK/prefix
run install cmake --install "$BUILD" --prefix "$PREFIX"
LIB=$(find "$PREFIX" -name 'libNemroFormulaSet.so' | head -n 1)
LIBDIR=$(dirname "${LIB:?no libNemroFormulaSet.so installed}")
[ -f "$LIBDIR/FormulaSet.xml" ] || fail "no catalogue beside the library"
[ -f "$PREFIX/share/man/man1/nemro-formula.1" ] || fail "no man page"
readelf -d "$LIB" | grep -q 'SONAME.*libNemroFormulaSet.so.0' || fail "no soname"
# The interface is exported and the internals are not: the headers installed are exactly
# the public ones.
nm -DC --defined-only "$LIB" > "$WORK/symbols"
expect symbols "nemro::CGNTExpression::Evaluate" "nemro_expression_evaluate" "nemro::loadCatalogue" "nemro::loadFunctionIndex" "nemro::loadFieldSet" "nemro::CPreparedExpression::Evaluate" "nemro::CFunctionRegistry::Register" "nemro_expression_register_function"
! grep -qE 'cScrollBars|frmArgumentSet|nemro::detail|FillFunction' "$WORK/symbols" || fail "internal symbols exported"
[ -f "$PREFIX/include/nemro/formula_set.h" ] && [ -f "$PREFIX/include/nemro/catalogue_model.h" ] &&
    [ -f "$PREFIX/include/nemro/function_index.h" ] && [ -f "$PREFIX/include/nemro/prepared.h" ] &&
    [ -f "$PREFIX/include/nemro/field_set.h" ] && [ -f "$PREFIX/include/nemro/functions.h" ] &&
    [ ! -e "$PREFIX/include/nemro/scroll_bars.h" ] && [ ! -e "$PREFIX/include/nemro/classic_lists.h" ] &&
    [ ! -e "$PREFIX/include/nemro/formula_session.h" ] || fail "installed headers"

# shellcheck disable=SC2046
run cc cc -o "$WORK/host_c" "$SOURCE/tests/install/host.c" $(PKG_CONFIG_PATH=$LIBDIR/pkgconfig pkg-config --cflags --libs NemroFormulaSet)
run c.out env LD_LIBRARY_PATH="$LIBDIR" "$WORK/host_c"
expect c.out "0.1.0 3"
run cpp-build sh -c "cmake -S '$SOURCE/examples/cpp' -B '$WORK/cpp' -G Ninja -DCMAKE_PREFIX_PATH='$PREFIX' && cmake --build '$WORK/cpp'"
run cpp.out "$WORK/cpp/formula_host"
expect cpp.out "value: 5元" "error 11: 除数为零。" "rate: 0.17"
run py.out python3 "$SOURCE/examples/python/host.py" --library "$LIB"
expect py.out "value: 5元 (kind 8)" "check: False 公式输入有误! 左右括号数目不一致! 16" \
    "stack: 2 ['ROUND(A1,2)', 'IF(A1,1,2)']" "column: 2.5元, 2.33元, error 13" \
    "tax: 303元 2026-12-08" "tax error 5: 工资不能为负" "fields: 2"

# Both hosts open the real dialogs on a virtual display; Esc in the chooser cancels.
if command -v xvfb-run > /dev/null && command -v xdotool > /dev/null; then
    for host in "$WORK/cpp/formula_host --dialog" "python3 $SOURCE/examples/python/host.py --library $LIB --dialog"; do
        run dialog.out env -u QT_QPA_PLATFORM timeout 120 xvfb-run -a sh -c "
            $host & pid=\$!
            window=\$(xdotool search --sync --name '粘贴函数' | head -n 1)
            sleep 1
            xdotool key --window \"\$window\" Escape
            wait \$pid"
        expect dialog.out "isCancel: true"
    done
fi

# The Debian package: built by CPack, unpacked, its tools run; installed for real when
# this runs as the superuser on a system without the package.
run cpack sh -c "cd '$BUILD' && cpack -G DEB -B '$WORK/deb'"
DEB=$(find "$WORK/deb" -maxdepth 1 -name '*.deb' | head -n 1)
dpkg-deb -f "${DEB:?no .deb made}" Depends | grep -q libqt6widgets6 || fail "package does not depend on Qt"
dpkg-deb -x "$DEB" "$WORK/root"
run deb.out "$WORK/root/usr/bin/nemro-formula" catalogue count ROUND
expect deb.out "2"
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W -f='${Status}' nemro-formula-set 2> /dev/null | grep -q "ok installed"; then
    PURGE=yes
    run dpkg dpkg -i "$DEB"
    run system.out sh -c "/usr/bin/nemro-formula eval '1+2' && /usr/bin/nemro-formula catalogue exists ROUND"
    expect system.out "3" "true"
fi
echo "install_test: all hosts work"
