#!/usr/bin/env bash
# Starts or stops a TLS server on 127.0.0.1 for the https test: a self-signed certificate for
# another host name that expired years ago, served by openssl s_server -HTTP from DIR (each file a
# whole response). The port goes into DIR/port for the test program to read.
set -euo pipefail
action=$1 dir=$2

stop() {
    if [ -f "$dir/pid" ]; then
        kill "$(cat "$dir/pid")" 2>/dev/null || true
        rm -f "$dir/pid"
    fi
}

case $action in
start)
    stop
    rm -rf "$dir"
    mkdir -p "$dir"
    cd "$dir"
    touch index.txt
    echo 01 >serial
    cat >ca.cnf <<CNF
[ ca ]
default_ca = ca_default
[ ca_default ]
database = $dir/index.txt
new_certs_dir = $dir
serial = $dir/serial
default_md = sha256
policy = policy_any
[ policy_any ]
commonName = supplied
CNF
    openssl req -new -newkey rsa:2048 -nodes -keyout key.pem -out req.csr -subj /CN=other-host.example \
        2>/dev/null
    openssl ca -batch -config ca.cnf -selfsign -keyfile key.pem -in req.csr -out cert.pem \
        -startdate 20200101000000Z -enddate 20210101000000Z >/dev/null 2>&1
    printf 'HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 14\r\n\r\nhello over tls' >hello.txt
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    setsid openssl s_server -accept "127.0.0.1:$port" -cert cert.pem -key key.pem -HTTP \
        </dev/null >server.log 2>&1 &
    echo $! >pid
    for _ in $(seq 100); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port" >port
            exit 0
        fi
        sleep 0.1
    done
    echo "tls-server: openssl s_server did not start" >&2
    cat server.log >&2
    stop
    exit 1
    ;;
stop)
    stop
    ;;
esac
