# Sourced: the environment every Wine run of this project uses.
# Needs ORVANE_BUILD_DIR (the build folder that holds the Wine prefix).
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win32
export WINEPREFIX="$ORVANE_BUILD_DIR/wineprefix"
# The recycle bin of Wine lives under XDG_DATA_HOME: keep it inside the build folder.
export XDG_DATA_HOME="$ORVANE_BUILD_DIR/xdg-data"
mkdir -p "$XDG_DATA_HOME"

orvane_wine_prefix() {
  # Creating a prefix takes a while and must happen once, even when several
  # tests start at the same moment.
  mkdir -p "$ORVANE_BUILD_DIR"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.orvane-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || true
      # The main window asks for "ＭＳ Ｐゴシック"; map it (and its siblings) to the IPA fonts.
      local here
      here="$(dirname "${BASH_SOURCE[0]}")"
      wine regedit /S "$(winepath -w "$here/fonts.reg" 2>/dev/null)" >/dev/null 2>&1 || true
      wineserver -w || true
      touch "$WINEPREFIX/.orvane-ready"
    fi
  ) 9>"$ORVANE_BUILD_DIR/.wineprefix.lock"
}

orvane_wine_warm() {
  # Start a persistent wineserver and Wine's own background processes with
  # their output detached, so that they never hold a pipe of the caller
  # (ctest waits until every writer of a test's output has gone).
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}
