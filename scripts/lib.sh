# Shared by scripts/run, scripts/test and the fuzz scripts. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Everything the build and the tests need, from Debian 12's own archive.
TSU_PACKAGES=(cmake ninja-build g++ clang googletest nlohmann-json3-dev python3
    mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine64 xvfb xauth imagemagick xdotool nsis wixl fonts-wqy-microhei python3-pil libstb-dev)

log() { printf '\n== %s\n' "$*" >&2; }

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${TSU_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # No i386 architecture: these machines cannot run 32-bit Linux programs at all.
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build_arch <i686|x86_64>: the 32-bit build holds the shipped programs only.
build_arch() {
    local arch="$1"
    local tests=ON
    [ "$arch" = i686 ] && tests=OFF
    log "building $arch"
    cmake -S "$ROOT" -B "$BUILD/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
        -DTSU_BUILD_TESTS=$tests -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD/$arch"
}

build_native() {
    log "building the portable core natively with sanitizers"
    # -O0: the sanitizers find the same faults and the build is much quicker.
    cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$BUILD/native"
}

# The libFuzzer targets, built with clang in build/fuzz. Each runs over its committed seed corpus
# (tests/fuzz/corpus/<name>); new inputs go to build/fuzz/corpus, never into the committed one.
FUZZ_BUILD="$BUILD/fuzz"
FUZZ_TARGETS=(icons_pe installer_kind)

build_fuzzers() {
    log "building the fuzz targets with clang"
    cmake -S "$ROOT" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DTSU_FUZZ=ON >/dev/null
    local name
    for name in "${FUZZ_TARGETS[@]}"; do
        cmake --build "$FUZZ_BUILD" --parallel 2 --target "${name}_fuzzer" >/dev/null
    done
}

# run_fuzzer <name> <log file name> <libFuzzer options...>: fails, with the log's tail, on a
# crash, a hang or a sanitizer report.
run_fuzzer() {
    local name="$1" logfile="$FUZZ_BUILD/$2"
    shift 2
    mkdir -p "$FUZZ_BUILD/corpus/$name" "$FUZZ_BUILD/artifacts/$name"
    if ! "$FUZZ_BUILD/bin/${name}_fuzzer" "$@" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$FUZZ_BUILD/artifacts/$name/" "$FUZZ_BUILD/corpus/$name" \
        "$ROOT/tests/fuzz/corpus/$name" 2>"$logfile"; then
        tail -n 60 "$logfile" >&2
        log "fuzzer $name FAILED; input kept in $FUZZ_BUILD/artifacts/$name/"
        return 1
    fi
}

# Wine in its own prefix, started with output not piped so its background processes do not
# hold our pipes open; the server stays up between test programs.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE_STARTED=""
start_wine() {
    export WINEPREFIX="$1"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
    fi
    wineboot -i >/dev/null 2>&1 </dev/null
    # The server wineboot started ends as soon as its last client does; a test started in that
    # moment can find it going away. Wait for it to end and start one that stays until stop_wine.
    wineserver -w
    wineserver -p
    WINE_STARTED="$WINEPREFIX"
    use_cjk_fonts
}

# Wine has no Chinese fonts of its own: the faces the tool asks for fall back to one without CJK
# glyphs. Point them at WenQuanYi Micro Hei (fonts-wqy-microhei). A UTF-16 .reg file keeps the
# Chinese face names intact whatever the shell's locale is.
use_cjk_fonts() {
    local reg="$WINEPREFIX/tsu-fonts.reg"
    python3 - "$reg" <<'PY'
import sys
faces = ["SimSun", "NSimSun", "Microsoft YaHei", "\u5b8b\u4f53", "\u65b0\u5b8b\u4f53", "\u5fae\u8f6f\u96c5\u9ed1"]
lines = ["Windows Registry Editor Version 5.00", "", "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]"]
lines += ['"%s"="WenQuanYi Micro Hei"' % face for face in faces]
open(sys.argv[1], "w", encoding="utf-16", newline="\r\n").write("\n".join(lines) + "\n")
PY
    wine regedit /S "$reg" >/dev/null 2>&1 </dev/null || true
}
stop_wine() {
    if [ -n "$WINE_STARTED" ]; then
        WINEPREFIX="$WINE_STARTED" wineserver -k 2>/dev/null || true
        WINE_STARTED=""
    fi
}

XVFB_PID=""
start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local tries=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
}
stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
