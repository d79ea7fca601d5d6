#!/usr/bin/env python3
"""Local servers for the update check tests, on 127.0.0.1 only, at free ports.

Serves the files of DOCS over plain HTTP (http.server) and over HTTPS
(openssl s_server -WWW, with an authority and certificate made now in TLS),
and runs a server that accepts connections and never answers. Prints one line
with the three addresses (host:port) and the authority's file, and runs until
stdin closes.
"""
import functools, http.server, os, socket, subprocess, sys, threading, time

docs, tls = sys.argv[1], sys.argv[2]
os.makedirs(tls, exist_ok=True)

def openssl(*args):
    subprocess.run(["openssl", *args], check=True, cwd=tls,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Pelagrin Test Authority",
        "-keyout", "ca.key", "-out", "ca.pem")
openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out", "server.csr")
with open(os.path.join(tls, "san.cnf"), "w") as f:
    f.write("subjectAltName=IP:127.0.0.1\n")
openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-days", "2", "-extfile", "san.cnf", "-out", "server.pem")

class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

web = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=docs))
threading.Thread(target=web.serve_forever, daemon=True).start()

silent = socket.socket()
silent.bind(("127.0.0.1", 0))
silent.listen(8)
held = []
threading.Thread(target=lambda: [held.append(silent.accept()) for _ in iter(int, 1)], daemon=True).start()

probe = socket.socket()
probe.bind(("127.0.0.1", 0))
tls_port = probe.getsockname()[1]
probe.close()
s_server = subprocess.Popen(["openssl", "s_server", "-quiet", "-WWW", "-accept", f"127.0.0.1:{tls_port}",
                             "-cert", os.path.join(tls, "server.pem"), "-key", os.path.join(tls, "server.key")],
                            cwd=docs, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", tls_port), timeout=1).close()
        break
    except OSError:
        time.sleep(0.05)

print(f"127.0.0.1:{web.server_address[1]} 127.0.0.1:{tls_port} 127.0.0.1:{silent.getsockname()[1]} "
      f"{os.path.join(tls, 'ca.pem')}", flush=True)
sys.stdin.read()
s_server.terminate()
s_server.wait(5)
