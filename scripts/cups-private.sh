#!/usr/bin/env bash
# A private CUPS server for the tests: its own configuration, spool and socket under
# the given folder, with one cups-pdf queue "PDF" as the default destination, so the
# tests never see or change the machine's own printers.  The queue's PDFs land in
# DIR/pdf: the cups-pdf backend reads the output folder from
# /etc/cups/cups-pdf-NAME.conf for a device URI cups-pdf:/NAME, so each server gets
# such a file of its own (removed again by stop); where /etc/cups cannot be written,
# DIR/pdf points to the backend's default folder, ~/PDF of the printing user
# (the one who runs the tests).
#   scripts/cups-private.sh start DIR   prints the CUPS_SERVER value to use
#   scripts/cups-private.sh stop DIR
set -euo pipefail
action=${1:?start or stop}
dir=$(realpath -m "${2:?folder}")
sock="$dir/cups.sock"
pdf_name="zenvrix-$(printf '%s' "$dir" | cksum | cut -d' ' -f1)"
pdf_conf="/etc/cups/cups-pdf-$pdf_name.conf"

if [ "$action" = stop ]; then
  if [ -f "$dir/cupsd.pid" ]; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    rm -f "$dir/cupsd.pid"
  fi
  rm -f "$pdf_conf"
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
rm -rf "$dir/pdf"
if printf 'Out %s\nGrp lpadmin\nDecodeHexStrings 1\n' "$dir/pdf" > "$pdf_conf" 2>/dev/null; then
  mkdir -p "$dir/pdf"
  pdf_uri="cups-pdf:/$pdf_name"
else
  home=$(getent passwd "$(id -un)" | cut -d: -f6 || true)
  mkdir -p "${home:-$HOME}/PDF"
  ln -s "${home:-$HOME}/PDF" "$dir/pdf"
  pdf_uri="cups-pdf:/"
fi
lpadmin -p PDF -v "$pdf_uri" -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
lpadmin -d PDF
echo "$sock"
