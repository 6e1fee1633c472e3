#!/bin/bash
# Runs a command against a real TLS stack on 127.0.0.1: Debian's nginx serving a
# search result page and an update package over HTTPS with certificates of a test
# authority made for this run, one server each for a good, an expired, a wrong-name
# and a self-signed certificate, and a plain HTTP server that redirects to them.
#
#   scripts/tls-stack.sh COMMAND [ARGS...]
#
# The test authority is put into the system's trust store (which libcurl and Wine
# read) for the run only: it is taken out again when the script ends, however it
# ends. The command sees the servers in VORLANE_TLS_* variables (tests/stack).
# Needs root (for the trust store), nginx and openssl (scripts/setup.sh).
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

work=$(mktemp -d /tmp/vorlane-tls.XXXXXX)
trusted=/usr/local/share/ca-certificates/vorlane-tls-stack-$$.crt
nginx_pid=

finish() {
  status=$?
  if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null || true; fi
  if [ -e "$trusted" ]; then
    rm -f "$trusted"
    update-ca-certificates >/dev/null 2>&1 || echo "tls-stack: could not refresh the trust store" >&2
  fi
  rm -rf "$work"
  exit $status
}
trap finish EXIT
trap 'exit 130' INT TERM

caller=$(pwd)
cd "$work"
mkdir -p www/pkg tmp
chmod 755 "$work" www www/pkg

# Free ports on 127.0.0.1, one per server.
read -r good expired wrong self plain < <(python3 - <<'PY'
import socket
held = []
for _ in range(5):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    held.append(s)
print(" ".join(str(s.getsockname()[1]) for s in held))
PY
)

# --- Certificates --------------------------------------------------------------
ec="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
openssl req -x509 $ec -keyout ca.key -out ca.crt -days 2 -subj "/CN=Vorlane TLS stack test CA $$" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
cat > ca.cnf <<CNF
[ca]
default_ca = test
[test]
dir = $work
database = $work/index.txt
new_certs_dir = $work
serial = $work/serial
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
commonName = supplied
[localhost]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost,IP:127.0.0.1
[wrongname]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:wrong-name.invalid
CNF
: > index.txt
echo 01 > serial
leaf() {  # leaf NAME EXTENSIONS START END
  openssl req -new $ec -keyout "$1.key" -out "$1.csr" -subj "/CN=$1" 2>/dev/null
  openssl ca -batch -notext -config ca.cnf -cert ca.crt -keyfile ca.key -in "$1.csr" -out "$1.crt" \
    -extensions "$2" -startdate "$3" -enddate "$4" >/dev/null 2>&1
}
now=$(date -u +%s)
leaf good localhost "$(date -u -d @$((now - 3600)) +%Y%m%d%H%M%SZ)" "$(date -u -d @$((now + 86400)) +%Y%m%d%H%M%SZ)"
leaf expired localhost 20200101000000Z 20200201000000Z
leaf wrong wrongname "$(date -u -d @$((now - 3600)) +%Y%m%d%H%M%SZ)" "$(date -u -d @$((now + 86400)) +%Y%m%d%H%M%SZ)"
openssl req -x509 $ec -keyout self.key -out self.crt -days 2 -subj "/CN=localhost" \
  -addext subjectAltName=DNS:localhost,IP:127.0.0.1 2>/dev/null

# --- What the servers serve -------------------------------------------------------
# A result page announcing 7 products, long enough for compression to matter; its
# gzip form beside it for gzip_static (an answer with a length); the same page
# compressed on the fly comes in chunks.
python3 - <<'PY'
import gzip, hashlib
rows = "".join(f'<li class="item">宝贝 {i} 价格 {i * 3}.00 元</li>\n' for i in range(600))
page = f'<html><body><div class="title fl">找到7个“毛衣”相关宝贝</div><ul>{rows}</ul></body></html>'
data = page.encode("utf-8")
open("www/result.html", "wb").write(data)
open("www/result.html.gz", "wb").write(gzip.compress(data, 9))
size = 3 * 1024 * 1024 + 4321
blob = bytes(((i * 7 + i // 13) & 0xFF) for i in range(size))
open("www/pkg/m_update.zip", "wb").write(blob)
open("package.sha256", "w").write(hashlib.sha256(blob).hexdigest())
PY
if [ -n "${VORLANE_TLS_BIG_MIB:-}" ]; then
  head -c "$((VORLANE_TLS_BIG_MIB * 1024 * 1024))" /dev/urandom > www/pkg/big.bin
fi
chmod -R a+rX www

tls_server() {  # tls_server PORT CERT
  cat <<CONF
  server {
    listen 127.0.0.1:$1 ssl;
    server_name localhost;
    ssl_certificate $work/$2.crt;
    ssl_certificate_key $work/$2.key;
    location /book/search/ { gzip_static on; try_files /result.html =404; }
    location /chunked/book/search/ { gzip on; try_files /result.html =404; }
    location /pkg/ { }
    location /downgrade/ { rewrite ^/downgrade(/.*)\$ http://localhost:$plain\$1 permanent; }
  }
CONF
}
cat > nginx.conf <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/tmp;
  proxy_temp_path $work/tmp;
  fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp;
  scgi_temp_path $work/tmp;
  types { text/html html; application/zip zip; }
  default_type application/octet-stream;
  root $work/www;
  gzip_min_length 1;
$(tls_server "$good" good)
$(tls_server "$expired" expired)
$(tls_server "$wrong" wrong)
$(tls_server "$self" self)
  server {
    listen 127.0.0.1:$plain;
    location /book/search/ { return 301 https://localhost:$good\$request_uri; }
    location /to-expired/ { rewrite ^/to-expired(/.*)\$ https://localhost:$expired\$1 permanent; }
    location /to-https/ { rewrite ^/to-https(/.*)\$ https://localhost:$good\$1 permanent; }
    location /pkg/ { }
  }
}
CONF
nginx -p "$work" -c "$work/nginx.conf" -g "daemon on;"
for _ in $(seq 50); do [ -s nginx.pid ] && break; sleep 0.1; done
nginx_pid=$(cat nginx.pid)

# --- Trust, for this run only ---------------------------------------------------------
cp ca.crt "$trusted"
update-ca-certificates >/dev/null 2>&1

export VORLANE_TLS_GOOD=$good VORLANE_TLS_EXPIRED=$expired VORLANE_TLS_WRONG_NAME=$wrong \
  VORLANE_TLS_SELF_SIGNED=$self VORLANE_TLS_PLAIN=$plain \
  VORLANE_TLS_PACKAGE_SHA256=$(cat package.sha256) VORLANE_TLS_PACKAGE_SIZE=$((3 * 1024 * 1024 + 4321)) \
  VORLANE_TLS_PACKAGE_ETAG=$(printf '"%x-%x"' "$(stat -c %Y www/pkg/m_update.zip)" "$(stat -c %s www/pkg/m_update.zip)")
cd "$caller"
"$@"
