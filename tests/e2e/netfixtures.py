"""Loopback network fixtures for discovery tests: a test CA with a server
certificate, an HTTPS geo-IP server, Debian's microsocks as the SOCKS5 proxy
(sending the endpoints' names to the local geo server), and a proxy that
accepts and never answers. Everything listens on loopback addresses only."""
import json
import os
import random
import socket
import ssl
import subprocess
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PRIMARY_HOST = 'geoip.kestrin.net'
FALLBACK_HOST = 'myip.kestrin.net'


def make_certificates(folder, hosts=(PRIMARY_HOST, FALLBACK_HOST)):
    """Writes ca.pem, server.pem and server.key into `folder` (once)."""
    ca, cert, key = (os.path.join(folder, n) for n in ('ca.pem', 'server.pem', 'server.key'))
    if all(os.path.exists(p) for p in (ca, cert, key)):
        return ca, cert, key
    os.makedirs(folder, exist_ok=True)
    run = lambda *a: subprocess.run(a, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ca_key = os.path.join(folder, 'ca.key')
    run('openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', ca_key, '-out', ca, '-days', '3650',
        '-subj', '/CN=Vantrel Test CA', '-addext', 'basicConstraints=critical,CA:TRUE',
        '-addext', 'keyUsage=critical,keyCertSign,cRLSign')
    csr = os.path.join(folder, 'server.csr')
    run('openssl', 'req', '-newkey', 'rsa:2048', '-nodes', '-keyout', key, '-out', csr, '-subj', '/CN=' + hosts[0])
    ext = os.path.join(folder, 'server.ext')
    with open(ext, 'w') as f:
        f.write('subjectAltName=' + ','.join('DNS:' + h for h in hosts) + '\n'
                'extendedKeyUsage=serverAuth\nkeyUsage=digitalSignature,keyEncipherment\n')
    run('openssl', 'x509', '-req', '-in', csr, '-CA', ca, '-CAkey', ca_key, '-CAcreateserial', '-out', cert,
        '-days', '3650', '-extfile', ext)
    return ca, cert, key


class GeoServer:
    """HTTPS on `address`: "/geoip?format=json" answers `geo_body`, "/myip"
    answers `myip_body`; either may be None for a 503 page. `on_request`, when
    given, is called before each answer (curl waits meanwhile)."""

    def __init__(self, cert, key, geo_body=None, myip_body=None, address=('127.0.0.1', 0), on_request=None):
        server = self

        class Handler(BaseHTTPRequestHandler):
            def do_GET(self):
                body = server.geo_body if self.path.startswith('/geoip') else server.myip_body
                server.requests.append(self.path)
                if on_request:
                    on_request(self.path)
                if body is None:
                    self.send_response(503)
                    body = b'<html><body>Service Unavailable</body></html>'
                else:
                    self.send_response(200)
                self.send_header('Content-Length', str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.geo_body = geo_body
        self.myip_body = myip_body
        self.requests = []
        self.httpd = ThreadingHTTPServer(address, Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        self.httpd.socket = context.wrap_socket(self.httpd.socket, server_side=True)
        self.address, self.port = self.httpd.server_address[:2]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Microsocks:
    """Debian's microsocks, the SOCKS5 server users run, on 127.0.0.1 with a
    user name and password. It resolves host names itself (socks5h); in a
    mount namespace of its own it reads a private hosts file that sends each
    name of `hosts` to its loopback address, and the machine's /etc/hosts
    stays untouched (needs root)."""

    def __init__(self, user, password, hosts, folder):
        os.makedirs(folder, exist_ok=True)
        hosts_file = os.path.join(folder, 'hosts-%d' % id(self))
        with open(hosts_file, 'w') as f:
            f.write('127.0.0.1 localhost\n' + ''.join('%s %s\n' % (a, n) for n, a in hosts.items()))
        self.port = free_port()
        self.proc = subprocess.Popen(
            ['unshare', '-m', 'sh', '-c', 'mount --bind "$0" /etc/hosts && exec "$@"', hosts_file,
             'microsocks', '-i', '127.0.0.1', '-p', str(self.port), '-u', user, '-P', password],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 20
        while not listening(self.port):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise RuntimeError('microsocks did not listen on port %d: %s' % (
                    self.port, self.proc.stderr.read().decode(errors='replace') or 'no message'))
            time.sleep(0.05)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait(10)
        self.proc.stderr.close()


def stalled_proxy():
    """A listening socket that nobody accepts: the connection is made, the
    proxy never answers (what no real server does on purpose). Close it."""
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    s.listen(8)
    return s


def geo_address():
    """A loopback address whose port 443 is free, for a geo server that the
    proxy reaches as the real endpoints are reached (HTTPS on port 443)."""
    for _ in range(50):
        address = '127.%d.%d.%d' % (random.randrange(64, 250), random.randrange(256), random.randrange(1, 255))
        with socket.socket() as s:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                s.bind((address, 443))
            except OSError:
                continue
        return address
    raise RuntimeError('no free loopback address for port 443')


def listening(port, host='127.0.0.1'):
    with socket.socket() as s:
        return s.connect_ex((host, port)) == 0


def free_port():
    """A loopback port with nothing listening on it."""
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    port = s.getsockname()[1]
    s.close()
    return port


def geo_json(**fields):
    return json.dumps(fields).encode()
