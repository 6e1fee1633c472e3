#!/bin/sh
# Keys and signatures for the update info, with OpenSSL's command line.
#
#   scripts/sign-update.sh keygen PRIVATE.pem   makes a key pair (ECDSA P-256) and
#                                               prints the public_key line for
#                                               [update] of config/vorlane.ini
#   scripts/sign-update.sh public PRIVATE.pem   prints that line again
#   scripts/sign-update.sh sign PRIVATE.pem INFO
#                                               writes INFO.sig: the signature of
#                                               INFO's exact bytes, to be served at
#                                               the info's address + ".sig"
#
# The public key is the uncompressed point in hex ("04", X, Y: 130 digits); the
# signature is r then s in hex (128 digits and a line end), the raw pair both
# BCrypt and the program take. Keep PRIVATE.pem off the repository and off the
# server: whoever holds it can make the program run their code.
set -eu

usage() {
  sed -n '2,12p' "$0" >&2
  exit 2
}

# The bytes of standard input as lower-case hex on one line.
hex() {
  od -An -v -tx1 | tr -d ' \n'
}

public_line() {
  # The public key's DER ends in the 65 bytes of the uncompressed point.
  point=$(openssl ec -in "$1" -pubout -outform DER 2>/dev/null | tail -c 65 | hex)
  case $point in
    04????????????????????????????????????????????????????????????????????????????????????????????????????????????????????????????????) ;;
    *) echo "sign-update.sh: $1 is not a P-256 private key" >&2; exit 1 ;;
  esac
  echo "public_key = $point"
}

# One INTEGER of the signature's DER, as asn1parse shows it, padded to 64 digits.
# DER drops leading zero bytes and adds one before a high bit: both are undone.
coordinate() {
  digits=$(printf '%s' "$1" | tr 'A-F' 'a-f' | sed 's/^\(00\)*//')
  while [ ${#digits} -lt 64 ]; do digits="0$digits"; done
  [ ${#digits} -eq 64 ] || { echo "sign-update.sh: unexpected signature" >&2; exit 1; }
  printf '%s' "$digits"
}

[ $# -ge 2 ] || usage
command=$1
key=$2
case $command in
  keygen)
    [ $# -eq 2 ] || usage
    [ ! -e "$key" ] || { echo "sign-update.sh: $key exists; not overwritten" >&2; exit 1; }
    (umask 077 && openssl ecparam -name prime256v1 -genkey -noout -out "$key")
    public_line "$key"
    ;;
  public)
    [ $# -eq 2 ] || usage
    public_line "$key"
    ;;
  sign)
    [ $# -eq 3 ] || usage
    info=$3
    der=$(mktemp)
    trap 'rm -f "$der"' EXIT
    openssl dgst -sha256 -sign "$key" -out "$der" "$info"
    integers=$(openssl asn1parse -inform DER -in "$der" | sed -n 's/.*prim: INTEGER *://p')
    set -- $integers
    [ $# -eq 2 ] || { echo "sign-update.sh: unexpected signature" >&2; exit 1; }
    r=$(coordinate "$1")
    s=$(coordinate "$2")
    printf '%s%s\n' "$r" "$s" >"$info.sig"
    # Checked once more with the public key alone, as the program will.
    openssl dgst -sha256 -verify /dev/stdin -signature "$der" "$info" >/dev/null <<KEY || exit 1
$(openssl ec -in "$key" -pubout 2>/dev/null)
KEY
    echo "signed: $info.sig"
    ;;
  *) usage ;;
esac
