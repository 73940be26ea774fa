#!/usr/bin/env bash
# A private CUPS server for the tests: its own configuration, spool and socket under
# the given folder, with one cups-pdf queue "PDF" as the default destination, so the
# tests never see or change the machine's own printers.
#   scripts/cups-private.sh start DIR   prints the CUPS_SERVER value to use
#   scripts/cups-private.sh stop DIR
set -euo pipefail
action=${1:?start or stop}
dir=$(realpath -m "${2:?folder}")
sock="$dir/cups.sock"

if [ "$action" = stop ]; then
  if [ -f "$dir/cupsd.pid" ]; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    rm -f "$dir/cupsd.pid"
  fi
  exit 0
fi

mkdir -p "$dir"/{conf/ppd,conf/ssl,spool/tmp,cache,state,log}
chmod -R 0777 "$dir"/spool "$dir"/cache "$dir"/state "$dir"/log
chmod 0755 "$dir" "$dir/conf"
cat > "$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
CONF
cat > "$dir/conf/cupsd.conf" <<CONF
Listen $sock
LogLevel warn
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
: > "$dir/conf/printers.conf"

if [ -f "$dir/cupsd.pid" ] && kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
  kill "$(cat "$dir/cupsd.pid")"; sleep 0.5
fi
cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"
for _ in $(seq 100); do [ -S "$sock" ] && break; sleep 0.1; done
[ -S "$sock" ] || { echo "cupsd did not start: $(tail -3 "$dir/log/error_log" 2>/dev/null)" >&2; exit 1; }
export CUPS_SERVER="$sock"
lpadmin -p PDF -v cups-pdf:/ -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
lpadmin -d PDF
echo "$sock"
