# A time-stamp authority on loopback for the signing tests: answers each RFC 3161 query with
# `openssl ts -reply`. Writes its port to PORTFILE once it listens.
#   python3 tsa-server.py PORTFILE TSA.cnf
import http.server
import os
import subprocess
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers['Content-Length']))
        reply = subprocess.run(['openssl', 'ts', '-reply', '-config', config, '-queryfile', '/dev/stdin',
                                '-out', '/dev/stdout'], input=query, capture_output=True,
                               cwd=os.path.dirname(config))
        self.send_response(200 if reply.returncode == 0 else 500)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *args):
        pass


config = os.path.abspath(sys.argv[2])
server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
with open(sys.argv[1], 'w') as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
