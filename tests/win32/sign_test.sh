#!/usr/bin/env bash
# Signs copies of the Windows files with a throwaway self-signed certificate and checks the
# signatures; without a certificate the files stay as they were:
#   tests/win32/sign_test.sh FILE...
# One line per check; the last line says whether all passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "PASS $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
unsigned() { ! verified "$1"; }
sign() { (cd "$work" && cmake -DFILES="$1" -P "$root/cmake/sign.cmake"); }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Pelmora test signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" \
    2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:секрет \
    -out "$work/cert.pfx"

for file in "$@"; do
    name=$(basename "$file")
    cp "$file" "$work/$name"
    check "$name: not signed as built here" unsigned "$work/$name"
    output=$(PELMORA_SIGN_PFX='' sign "$work/$name" 2>&1)
    check "$name: without a certificate it says so" grep -q "$name is not signed" <<<"$output"
    check "$name: without a certificate it stays as it was" cmp -s "$file" "$work/$name"
    PELMORA_SIGN_PFX=$work/cert.pfx PELMORA_SIGN_PASSWORD=секрет sign "$work/$name" >/dev/null
    check "$name: signed, the signature verifies" verified "$work/$name"
done
check "no password file is left behind" test -z "$(find "$work" -name '.sign-password-*')"

if [ "$failures" -eq 0 ]; then
    echo "sign_test: all checks passed"
else
    echo "sign_test: $failures checks failed"
    exit 1
fi
