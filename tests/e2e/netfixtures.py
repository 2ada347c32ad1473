"""Loopback network fixtures for discovery tests: a test CA with a server
certificate, an HTTPS geo-IP server, Debian's microsocks as the SOCKS5 proxy
(sending the endpoints' names to the local geo server), and a proxy that
accepts and never answers. Everything listens on loopback addresses only.
Also the curl.exe that System32 holds for a test: the real one, built from
Debian's source, or the stand-in scripted through its environment."""
import json
import os
import random
import socket
import ssl
import subprocess
import threading
import shutil
import time
import unittest
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from wine import PREFIX, SOURCE, WORK, wait_for, win_path

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


# The curl.exe a start finds in System32: the real one or a stand-in.

SYSTEM32_CURL = os.path.join(PREFIX, 'drive_c', 'windows', 'system32', 'curl.exe')


def real_curl():
    """The real curl.exe, built (or taken from the cache) by scripts/build_curl.sh."""
    out = subprocess.run(['bash', os.path.join(SOURCE, 'scripts', 'build_curl.sh')], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=1200)
    path = out.stdout.decode().strip().splitlines()[-1] if out.returncode == 0 and out.stdout.strip() else ''
    return path if path and os.path.exists(path) else None


class RealCurlNetwork:
    """Mixin for tests through the real curl.exe: it is built (or taken from
    the cache) once, System32 gets it, and an HTTPS geo server on port 443 of
    a loopback address answers for both endpoints (`self.server`, trusted
    through `self.env`)."""

    @classmethod
    def setUpClass(cls):
        cls.curl = real_curl()
        if cls.curl is None:
            raise unittest.SkipTest('no Windows curl.exe could be built')
        cls.certs = make_certificates(os.path.join(WORK, 'certs'))

    def setUp(self):
        install_curl(self, self.curl)
        ca, cert, key = self.certs
        self.env = {'CURL_CA_BUNDLE': win_path(ca)}
        self.server = GeoServer(
            cert, key, address=(geo_address(), 443), myip_body=b'203.0.113.9\n',
            geo_body=geo_json(ip='203.0.113.7', country_code='FR', timezone='Europe/Paris',
                                          latitude=48.8566, longitude=2.3522))
        self.addCleanup(self.server.close)

    def proxy(self, hosts):
        """microsocks (user "alice", password "s3cret") sending each endpoint
        name of `hosts` to its address."""
        proxy = Microsocks('alice', 's3cret', hosts, os.path.join(WORK, 'hosts'))
        self.addCleanup(proxy.close)
        return proxy


def curl_double_env(folder, body, **settings):
    """The environment that scripts the curl stand-in: `body` (written to a
    file in `folder`) as its output, and CURL_DOUBLE_<NAME> for each setting."""
    path = os.path.join(folder, 'curl-body')
    with open(path, 'wb') as f:
        f.write(body)
    env = {'CURL_DOUBLE_' + k.upper(): str(v) for k, v in settings.items()}
    env['CURL_DOUBLE_BODY'] = win_path(path)
    return env


def curl_gone(marker, seconds=10):
    """Waits (bounded) until no curl.exe whose command line holds `marker`
    runs; fails when one still does."""
    wait_for('a curl.exe (%s) still runs' % marker,
             lambda: subprocess.run(['pgrep', '-f', 'curl.exe .*' + marker], stdout=subprocess.DEVNULL).returncode == 1,
             seconds)


def install_curl(test, exe):
    """Puts `exe` (or nothing, for None) at System32\\curl.exe for one test."""
    if os.path.exists(SYSTEM32_CURL):
        os.remove(SYSTEM32_CURL)
    if exe:
        shutil.copy(exe, SYSTEM32_CURL)
    test.addCleanup(lambda: os.path.exists(SYSTEM32_CURL) and os.remove(SYSTEM32_CURL))
