#!/usr/bin/env bash
# Makes the signed installers of the publisher check in DIR: a test root CA that the test Wine
# prefix is made to trust, code-signing certificates made with openssl, and copies of a small
# program signed with osslsigncode in every way the check must refuse or accept. "stop" takes the
# test root out of the prefix again.
#   signed-installers.sh start DIR PROGRAM.exe LAUNCHER.exe | stop DIR
set -euo pipefail
action=$1 dir=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)

# The test root goes into the machine's Root store of the test prefix, read by the chain engine of
# every later process (see platform-notes: Wine imports the host's roots beside it; nothing here
# touches the host's certificate folder). The key is the certificate's SHA-1, the value the store's
# serialized form: property 32 (the certificate), encoding 1, length, DER bytes.
# trust_root add|remove CERT HIVE: HKLM for the machine's store, HKCU for the user's own.
trust_root() {
    source "$root/tools/wine-env.sh"
    plmo_make_prefix
    local sha1 key
    sha1=$(openssl x509 -in "$dir/$2" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
    key="$3\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$sha1"
    if [ "$1" = add ]; then
        local blob
        blob=$(openssl x509 -in "$dir/$2" -outform DER | python3 -c 'import struct, sys
d = sys.stdin.buffer.read(); print((struct.pack("<III", 32, 1, len(d)) + d).hex())')
        wine reg add "$key" /v Blob /t REG_BINARY /d "$blob" /f >/dev/null
    else
        wine reg delete "$key" /f >/dev/null 2>&1 || true
    fi
}
case $action in
start)
    program=$(realpath "$3") launcher=$(realpath "$4")
    rm -rf "$dir"
    mkdir -p "$dir"
    cd "$dir"
    cat >ext.cnf <<'CNF'
[ req ]
distinguished_name = dn
[ dn ]
[ ca ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ codesign ]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ serverauth ]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
[ timestamping ]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./tsaserial
signer_cert = ./tsa.pem
signer_key = ./tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
CNF
    # NAME CN EXTENSIONS: a self-signed certificate; NAME CN EXTENSIONS ISSUER: one issued by ISSUER.
    cert() {
        if [ $# = 3 ]; then
            openssl req -x509 -config ext.cnf -extensions "$3" -newkey rsa:2048 -nodes -keyout "$1.key" \
                -out "$1.pem" -utf8 -subj "/CN=$2" -days 3650 2>/dev/null
        else
            openssl req -new -config ext.cnf -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" \
                -utf8 -subj "/CN=$2" 2>/dev/null
            openssl x509 -req -in "$1.csr" -CA "$4.pem" -CAkey "$4.key" -set_serial "0x$(openssl rand -hex 8)" \
                -days 3650 -extfile ext.cnf -extensions "$3" -out "$1.pem" 2>/dev/null
        fi
    }
    cert root "Tavin Test Root CA" ca
    cert pinned "Tavin Test Publisher" codesign root
    cert other "Other Test Publisher" codesign root
    cert intermediate "Tavin Test Issuing CA" ca root
    cert issued "Tavin Test Publisher" codesign intermediate
    cat issued.pem intermediate.pem >issued-chain.pem
    cert serverauth "Tavin Test Publisher" serverauth root
    cert selfsigned "Tavin Test Publisher" codesign
    cert stranger "Stranger Test Root CA" ca
    cert foreign "Tavin Test Publisher" codesign stranger
    cat foreign.pem stranger.pem >foreign-chain.pem
    cert japanese "株式会社タヴィン・テスト発行元" codesign root
    cert userroot "Tavin User Root CA" ca
    cert userissued "Tavin Test Publisher" codesign userroot

    sign() { # CERT KEY OUT
        cp "$program" "$3"
        "$root/tools/sign-exe.sh" "$1" "$2" "$3"
    }
    cp "$program" unsigned.exe
    sign pinned.pem pinned.key genuine.exe
    sign other.pem other.key other.exe
    sign issued-chain.pem issued.key intermediate.exe
    sign serverauth.pem serverauth.key serverauth.exe
    sign selfsigned.pem selfsigned.key selfsigned.exe
    sign foreign.pem foreign.key unknown-issuer.exe
    sign foreign-chain.pem foreign.key untrusted-root.exe
    sign japanese.pem japanese.key japanese.exe
    sign userissued.pem userissued.key user-root.exe
    cp genuine.exe tampered.exe
    # One byte of the program's code, well past the headers.
    python3 -c 'import sys; f=open(sys.argv[1],"r+b"); f.seek(0x420); b=f.read(1); f.seek(0x420); f.write(bytes([b[0]^0xff]))' tampered.exe
    # The launcher as a deployment signs it, from a password-protected PKCS#12 file, time-stamped
    # by a time-stamp authority on loopback.
    openssl pkcs12 -export -in pinned.pem -inkey pinned.key -passout pass:test-only -out pinned.p12
    cert tsa "Tavin Test Time-Stamp Authority" timestamping root
    echo 01 >tsaserial
    python3 "$here/tsa-server.py" tsa.port ext.cnf &
    tsa_pid=$!
    for _ in $(seq 100); do [ -s tsa.port ] && break; sleep 0.1; done
    cp "$launcher" launcher.exe
    PLMO_SIGN_PASSWORD=test-only "$root/tools/sign-exe.sh" pinned.p12 "" launcher.exe \
        "http://127.0.0.1:$(cat tsa.port)/" || { kill "$tsa_pid"; exit 1; }
    kill "$tsa_pid"
    trust_root add root.pem HKLM
    trust_root add userroot.pem HKCU
    ;;
stop)
    if [ -f "$dir/root.pem" ]; then
        trust_root remove root.pem HKLM
        trust_root remove userroot.pem HKCU
    fi
    ;;
esac
