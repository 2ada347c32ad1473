"""Loopback network fixtures for discovery tests: a test CA with a server
certificate, an HTTPS geo-IP server, and a SOCKS5 proxy (RFC 1928 with
user/password login, RFC 1929) that sends every host name to the local geo
server, or refuses or stalls it, as a test says. Everything listens on
127.0.0.1 only."""
import json
import os
import socket
import ssl
import subprocess
import threading
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
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Socks5Proxy:
    """A SOCKS5 proxy on 127.0.0.1. `routes` maps a requested host name to
    a local port, to 'refuse' (reply: connection refused) or to 'stall'
    (accept the request and never answer)."""

    def __init__(self, user, password, routes):
        self.user, self.password, self.routes = user.encode(), password.encode(), routes
        self.requested = []
        self.sock = socket.socket()
        self.sock.bind(('127.0.0.1', 0))
        self.sock.listen(16)
        self.port = self.sock.getsockname()[1]
        self.closing = False
        self.thread = threading.Thread(target=self._accept, daemon=True)
        self.thread.start()

    def close(self):
        self.closing = True
        self.sock.close()

    def _accept(self):
        while not self.closing:
            try:
                client, _ = self.sock.accept()
            except OSError:
                return
            threading.Thread(target=self._serve, args=(client,), daemon=True).start()

    @staticmethod
    def _read(sock, n):
        data = b''
        while len(data) < n:
            chunk = sock.recv(n - len(data))
            if not chunk:
                raise ConnectionError('closed')
            data += chunk
        return data

    def _serve(self, client):
        try:
            with client:
                client.settimeout(30)
                ver, count = self._read(client, 2)
                methods = self._read(client, count)
                if ver != 5 or 2 not in methods:
                    client.sendall(b'\x05\xff')
                    return
                client.sendall(b'\x05\x02')
                _, ulen = self._read(client, 2)
                user = self._read(client, ulen)
                plen = self._read(client, 1)[0]
                password = self._read(client, plen)
                if (user, password) != (self.user, self.password):
                    client.sendall(b'\x01\x01')
                    return
                client.sendall(b'\x01\x00')
                ver, cmd, _, atyp = self._read(client, 4)
                if atyp == 3:
                    host = self._read(client, self._read(client, 1)[0]).decode()
                elif atyp == 1:
                    host = socket.inet_ntoa(self._read(client, 4))
                else:
                    host = socket.inet_ntop(socket.AF_INET6, self._read(client, 16))
                self._read(client, 2)
                self.requested.append(host)
                route = self.routes.get(host, 'refuse')
                if route == 'stall':
                    threading.Event().wait(30)
                    return
                if route == 'refuse':
                    client.sendall(b'\x05\x05\x00\x01' + bytes(6))
                    return
                upstream = socket.create_connection(('127.0.0.1', route))
                client.sendall(b'\x05\x00\x00\x01' + socket.inet_aton('127.0.0.1') + route.to_bytes(2, 'big'))
                self._relay(client, upstream)
        except (OSError, ConnectionError, ValueError):
            pass

    @staticmethod
    def _relay(a, b):
        def pump(src, dst):
            try:
                while True:
                    data = src.recv(65536)
                    if not data:
                        break
                    dst.sendall(data)
            except OSError:
                pass
            finally:
                try:
                    dst.shutdown(socket.SHUT_WR)
                except OSError:
                    pass
        t = threading.Thread(target=pump, args=(b, a), daemon=True)
        t.start()
        pump(a, b)
        t.join(30)
        b.close()


def free_port():
    """A loopback port with nothing listening on it."""
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    port = s.getsockname()[1]
    s.close()
    return port


def geo_json(**fields):
    return json.dumps(fields).encode()
