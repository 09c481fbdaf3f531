#!/usr/bin/env bash
# Smoke test of the real program on the display of the caller (run under
# xvfb-run): start it with a signed PDF in a fresh home folder, wait for the
# main window, give it a known geometry, close it as a window manager does
# (WM_DELETE_WINDOW) while the document is being verified, and expect the
# process to end within a few seconds with the exit lines of shutdown and the
# window's last geometry in the settings file, and exit status 0. Then start it again with a
# certificate file: only the certificate dialog shows, and once it is closed
# the process ends with status 0 and the stored trust list is unchanged.
# Usage: close_while_verifying.sh PROGRAM SOURCE_DIR
set -u
program="$1"
source_dir="$2"
corpus="${VELK_CORPUS_DIR:-$source_dir/../shared/corpus}"

home="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null; fi
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- program output:"; cat "$home/out.log" 2>/dev/null; exit 1; }

export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

# The agreement was accepted earlier and no version check runs: the main
# window comes up at once.
configs="$XDG_DATA_HOME/Velkorant/configs"
mkdir -p "$configs" && chmod 700 "$XDG_DATA_HOME/Velkorant" "$configs"
cat > "$configs/reader-configs.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<root>
  <ui-status>
    <agree>true</agree>
    <checkversion-startup>false</checkversion-startup>
    <updated-tip>false</updated-tip>
  </ui-status>
</root>
XML

document="$corpus/pyhanko/minimal-signed-twice-both-created.pdf"
if [ ! -f "$document" ]; then
  # A bare clone without the corpus: an unsigned document still runs the verify worker.
  printf '# Smoke test\nA page to open.\n' > "$home/page.txt"
  python3 "$source_dir/scripts/make_user_guide.py" "$home/page.txt" "$home/page.pdf" || fail "cannot make a PDF"
  document="$home/page.pdf"
fi

# Starts the program on a file and waits up to 20 s for its main window, whose
# title matches the pattern: sets pid and window.
start_program() {
  "$program" "$1" > "$home/out.log" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 1 200); do
    window="$(xdotool search --name "$2" 2>/dev/null | head -n 1)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no main window for $1 within 20 seconds"
}

start_program "$document" '\.pdf - Velkorant'

# Placed once the window is shown (before that the toolkit places it anew),
# above the window's minimum size on a 1920 x 1200 screen.
sleep 1
xdotool windowsize "$window" 1500 1050 || fail "cannot size the window"
xdotool windowmove "$window" 60 50 || fail "cannot move the window"
sleep 1
[ -n "${VELK_SMOKE_SHOT:-}" ] && import -window root "$VELK_SMOKE_SHOT"
asked=$(date +%s%N)
python3 "$source_dir/tests/smoke/send_wm_delete.py" "$window" || fail "cannot send WM_DELETE_WINDOW"

ended=""
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then ended=1; break; fi
  sleep 0.1
done
[ -n "$ended" ] || fail "the program still runs 10 seconds after the close request"
took_ms=$(( ($(date +%s%N) - asked) / 1000000 ))
{ wait "$pid"; } 2>/dev/null
status=$?
pid=""
echo "the program ended ${took_ms} ms after the close request, exit status $status"
[ "$status" -eq 0 ] || fail "exit status $status after a close by the window manager (expected 0)"

grep -q "begin: exit all threads" "$home/out.log" || fail "no \"begin: exit all threads\""
grep -q "end: exit all threads" "$home/out.log" || fail "no \"end: exit all threads\""
settings="$configs/reader-configs.xml"
for expected in "<frame-x>60</frame-x>" "<frame-y>50</frame-y>" "<frame-w>1500</frame-w>" "<frame-h>1050</frame-h>"; do
  grep -q "$expected" "$settings" || { echo "settings file:"; cat "$settings"; fail "settings lack $expected"; }
done
echo "PASS: closed within a few seconds with status 0, exit lines printed, geometry saved"

# --- closing while a long text is laid out
# A 50 MB text takes many seconds to read and lay out as pages; the close must
# not wait for all of that: reading, decoding, layout and writing look at the
# stop flag at least every 100 ms of work, so the process ends well within a
# second of the close (the bound leaves room for a loaded machine). The time
# counts from the moment the close request was sent.
python3 - "$home/long.txt" <<'PY' || fail "cannot write the long text"
import sys
line = "A line of a long text file that is laid out as PDF pages when it is opened.\n"
with open(sys.argv[1], "w") as out:
    out.write(line * (50 * 1024 * 1024 // len(line)))
PY
start_program "$home/long.txt" 'long\.txt - Velkorant'
# Several seconds in: the text is being read or laid out.
sleep 6
python3 "$source_dir/tests/smoke/send_wm_delete.py" "$window" || fail "cannot send WM_DELETE_WINDOW"
asked=$(date +%s%N)
ended=""
for _ in $(seq 1 1000); do
  if ! kill -0 "$pid" 2>/dev/null; then ended=1; break; fi
  sleep 0.01
done
took_ms=$(( ($(date +%s%N) - asked) / 1000000 ))
[ -n "$ended" ] || fail "the program still runs 10 seconds after the close request during the text load"
{ wait "$pid"; } 2>/dev/null
pid=""
grep -q "stopped" "$home/out.log" || echo "note: the text load had ended before the close request"
[ "$took_ms" -le 3000 ] || fail "the program ended ${took_ms} ms after the close request during the text load (at most 3000)"
echo "PASS: closed ${took_ms} ms after the close request during a 50 MB text load"

# --- certificate-file mode
trust="$XDG_DATA_HOME/Velkorant/trustlist+.json"
[ -f "$trust" ] || fail "no stored trust list after the first run"
before="$(sha256sum < "$trust")"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$home/key.pem" -out "$home/cert.pem" \
  -subj "/CN=Smoke Test" -days 2 2>/dev/null || fail "openssl cannot make a certificate"
openssl x509 -in "$home/cert.pem" -outform DER -out "$home/smoke.CER" || fail "openssl cannot convert"
"$program" "$home/smoke.CER" > "$home/out.log" 2>&1 &
pid=$!
dialog=""
for _ in $(seq 1 200); do
  dialog="$(xdotool search --name 'Certificate Properties|smoke\.CER' 2>/dev/null | head -n 1)"
  [ -n "$dialog" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before the certificate dialog appeared"
  sleep 0.1
done
[ -n "$dialog" ] || fail "no certificate dialog within 20 seconds"
[ -z "$(xdotool search --name ' - Velkorant' 2>/dev/null)" ] || fail "a main window appeared in certificate-file mode"
sleep 0.5
python3 "$source_dir/tests/smoke/send_wm_delete.py" "$dialog" || fail "cannot close the certificate dialog"
ended=""
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then ended=1; break; fi
  sleep 0.1
done
[ -n "$ended" ] || fail "the program still runs 10 seconds after the certificate dialog closed"
{ wait "$pid"; } 2>/dev/null
status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit status $status after certificate-file mode (expected 0)"
[ "$(sha256sum < "$trust")" = "$before" ] || fail "the stored trust list changed in certificate-file mode"
echo "PASS: certificate-file mode shows the dialog alone and ends after it, trust list unchanged"
