"""End-to-end harness: runs the real vantrel.exe (and vantrel-check.exe) under
Wine. Each test gets a sandbox: a launcher folder with both programs and the
stand-in program (tests/tools/stand_in.cpp) as vantrel-engine.exe, which
writes what it received to engine-received.json; and a profile folder.
Windows show on a private Xvfb display when a test asks for one; otherwise
DISPLAY is unset, as on a machine where no window can be created.

Environment (set by CTest): VANTREL_WINEPREFIX, VANTREL_BUILD_DIR."""
import atexit
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from wine import WINE, WINESERVER

PREFIX = os.environ['VANTREL_WINEPREFIX']
BUILD = os.environ['VANTREL_BUILD_DIR']
LAUNCHER_EXE = os.path.join(BUILD, 'vantrel.exe')
CHECK_EXE = os.path.join(BUILD, 'vantrel-check.exe')
STAND_IN = os.path.join(BUILD, 'tools', 'stand_in.exe')
WORK = os.path.join(BUILD, 'e2e-work')
SOURCE = os.environ.get('VANTREL_SOURCE_DIR', os.path.join(os.path.dirname(__file__), '..', '..'))
ARTIFACTS = os.path.join(BUILD, 'e2e-artifacts')
SYSTEM32_CURL = os.path.join(PREFIX, 'drive_c', 'windows', 'system32', 'curl.exe')
FIXED_SWITCHES = (' --hide-crash-restore-bubble'
                  ' --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage'
                  ' --disable-save-password-bubble')


def win_path(posix_path):
    """The Windows form of a Linux path (drive Z: maps the Linux root)."""
    return 'Z:' + os.path.abspath(posix_path).replace('/', '\\')


_MODE_FILE = os.path.join(PREFIX, '.vantrel-display-mode')


def _use_display_mode(display):
    """Wine's desktop process belongs to the display it started with: when a
    test switches between "no display" and a display, the prefix's processes
    are ended and its services started afresh."""
    mode = display or 'none'
    if os.path.exists(_MODE_FILE):
        with open(_MODE_FILE) as f:
            if f.read() == mode:
                return
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG='-all')
    for flag in ('-k', '-w'):
        subprocess.run([WINESERVER, flag], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([os.path.join(os.path.dirname(os.path.abspath(__file__)), 'wine_prefix.sh'), 'up', PREFIX]
                   + ([display] if display else []), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def wine_env(display=None, extra=None):
    _use_display_mode(display)
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
    env.pop('DISPLAY', None)
    if display:
        env['DISPLAY'] = display
    env.update(extra or {})
    return env


def wine(args, display=None, env=None, timeout=60, capture=True):
    """Runs a Windows program to its end. Without `capture` its output is
    discarded, so that the call returns when the program ends even if a
    process it started (the Engine) still holds the output handles."""
    out = subprocess.PIPE if capture else subprocess.DEVNULL
    return subprocess.run([WINE] + list(args), env=wine_env(display, env), timeout=timeout,
                          stdin=subprocess.DEVNULL, stdout=out, stderr=out)


def strict_json(data):
    """Parses bytes as strict UTF-8 JSON (no NaN or Infinity)."""
    def reject(name):
        raise ValueError('not JSON: ' + name)
    return json.loads(data.decode('utf-8', errors='strict'), parse_constant=reject)


def conforms(doc, schema):
    """Returns `doc` once it is valid under schemas/<schema>.schema.json: what
    the programs write and the schemas callers read cannot drift apart."""
    try:
        import jsonschema
    except ImportError:  # Debian's python3-jsonschema, for another Python 3
        import sys
        sys.path.append('/usr/lib/python3/dist-packages')
        import jsonschema
    with open(os.path.join(SOURCE, 'schemas', schema + '.schema.json')) as f:
        jsonschema.Draft202012Validator(json.load(f)).validate(doc)
    return doc


def wait_for(what, ready, seconds=30):
    """Polls `ready` until it returns something true; fails with `what` when
    the bound passes."""
    deadline = time.monotonic() + seconds
    while True:
        value = ready()
        if value or time.monotonic() > deadline:
            if not value:
                raise AssertionError('%s within %d s' % (what, seconds))
            return value
        time.sleep(0.05)


_host_switches = None


def host_switches():
    """The switches a start adds for the host when the overlay names none: the
    device memory (one of the values the Engine knows), the processor count
    Windows reports, the voices preset. Taken once from a real start."""
    global _host_switches
    if _host_switches is None:
        processors = strict_json(wine([STAND_IN, 'info']).stdout)['processors']
        s = Sandbox(unittest.TestCase())
        assert s.run([]) == 0
        tail = ' '.join(s.received()['argv'][-4:-1])
        shutil.rmtree(s.root, True)
        assert re.fullmatch(r'--device-memory=(1|2|4|8|16|32) --hardware-concurrency=%d '
                            r'--speech-voices-preset=stock-chrome-windows' % processors, tail), tail
        _host_switches = tail
    return _host_switches


class Xvfb:
    """A private X display for tests that need windows."""
    _shared = None

    def __init__(self):
        number = next(n for n in range(90, 140)
                      if not os.path.exists('/tmp/.X11-unix/X%d' % n) and not os.path.exists('/tmp/.X%d-lock' % n))
        self.display = ':%d' % number
        self.proc = subprocess.Popen(['Xvfb', self.display, '-screen', '0', '1280x1024x24',
                                      '-nolisten', 'tcp'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for('Xvfb did not start', lambda: os.path.exists('/tmp/.X11-unix/X%d' % number)
                 or self.proc.poll() is not None, 20)
        assert self.proc.poll() is None, 'Xvfb %s ended at its start' % self.display
        atexit.register(self.stop)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(5)

    @classmethod
    def shared(cls):
        if cls._shared is None:
            cls._shared = Xvfb()
        return cls._shared.display


class Sandbox:
    """A launcher folder with vantrel.exe, vantrel-check.exe and the stand-in
    Engine, and a profile folder, under the build tree's e2e-work folder."""

    def __init__(self, test, app_name='app', engine=True):
        os.makedirs(WORK, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix=test.id().split('.')[-1][:40] + '-', dir=WORK)
        self.app = os.path.join(self.root, app_name)
        self.profile = os.path.join(self.root, 'profile')
        os.makedirs(self.app)
        os.makedirs(self.profile)
        self.launcher = os.path.join(self.app, 'vantrel.exe')
        self.check = os.path.join(self.app, 'vantrel-check.exe')
        self.engine_posix = os.path.join(self.app, 'vantrel-engine.exe')
        self.engine_win = win_path(self.engine_posix)
        self.received_path = os.path.join(self.app, 'engine-received.json')
        self.profile_arg = '--user-data-dir=' + win_path(self.profile)
        shutil.copy(LAUNCHER_EXE, self.launcher)
        shutil.copy(CHECK_EXE, self.check)
        if engine:
            shutil.copy(STAND_IN, self.engine_posix)
        self.test = test
        test.addCleanup(shutil.rmtree, self.root, True)

    def write_overlay(self, text, folder=None):
        data = text.encode('utf-8') if isinstance(text, str) else text
        with open(os.path.join(folder or self.profile, 'command-line.json'), 'wb') as f:
            f.write(data)

    def run(self, args, display=None, env=None, timeout=60):
        """Runs the launcher with Unix arguments (Wine quotes them)."""
        return wine([self.launcher] + list(args), display=display, env=env, timeout=timeout,
                    capture=False).returncode

    def start(self, overlay=None, args=None, **kw):
        """Writes `overlay` when given, runs the launcher (with the profile
        argument unless `args` says otherwise), expects exit code 0 and
        returns what the Engine received."""
        if overlay is not None:
            self.write_overlay(overlay)
        code = self.run([self.profile_arg] if args is None else args, **kw)
        assert code == 0, 'the launcher exited with %d' % code
        got = self.received()
        assert got is not None, 'the Engine did not start'
        return got

    def run_exact(self, rest, display=None, program=None, held=None, env=None):
        """Runs the launcher (or `program`) with the exact command line
        '"<program>"' + rest, from a caller that lets it inherit a handle of
        `held` (a file it opens without sharing) when given."""
        line_file = os.path.join(self.root, 'command-line.txt')
        with open(line_file, 'wb') as f:
            f.write(('"%s"%s' % (win_path(program or self.launcher), rest)).encode('utf-8'))
        code = wine([STAND_IN, 'spawn', win_path(line_file)] + ([win_path(held)] if held else []), display=display,
                    env=env).returncode
        assert code != 3, 'the stand-in could not start the launcher'
        return code

    def received(self, timeout=30):
        """What the stand-in Engine recorded, waiting (bounded) for it; None
        when it never appears. (It writes under a temporary name and moves.)"""
        deadline = time.monotonic() + timeout
        while not os.path.exists(self.received_path):
            if time.monotonic() > deadline:
                return None
            time.sleep(0.05)
        with open(self.received_path, 'rb') as f:
            return strict_json(f.read())

    def record(self, name='result', folder=None):
        """A record the launcher left (".orlisk-launcher-NAME.json"), or None."""
        path = os.path.join(folder or self.profile, '.orlisk-launcher-%s.json' % name)
        if not os.path.exists(path):
            return None
        with open(path, 'rb') as f:
            data = f.read()
        assert data.endswith(b'}\n'), data
        return conforms(strict_json(data), name + '-record')

    def launch(self, display, env=None, stderr=subprocess.DEVNULL):
        """Starts the launcher with the profile argument in the background."""
        proc = subprocess.Popen([WINE, self.launcher, self.profile_arg], env=wine_env(display, env),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        self.test.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def report(self, args, env=None, expect=0):
        """vantrel-check's JSON report; `expect` is its exit code."""
        done = wine([self.check, '--json'] + args, env=env, timeout=120)
        assert done.returncode == expect, 'vantrel-check exited %d: %r' % (done.returncode, done.stderr[-2000:])
        return conforms(strict_json(done.stdout), 'check-report'), done.stdout

    def files(self):
        """Every file and folder below the sandbox, relative to it."""
        return {os.path.relpath(os.path.join(base, n), self.root)
                for base, dirs, names in os.walk(self.root) for n in dirs + names}

    def expected_engine_line(self, rest, extra):
        return '"%s"%s' % (self.engine_win, FIXED_SWITCHES) + (' ' + rest if rest else '') + (' ' + extra if extra else '')


# A profile with something of every kind profile hygiene removes, and more.
PROFILE_TREE = [
    'Default/Current Tabs', 'Default/Current Session', 'Default/Last Tabs', 'Default/Last Session',
    'Default/Sessions/Session_1', 'Default/Sessions/deep/Tabs_2', 'Default/Cookies', 'Default/Cookies-journal',
    'Default/Network/Cookies', 'Default/Network/Cookies-journal', 'Default/Network/Trust Tokens',
    'Default/File System/000/p', 'Default/IndexedDB/a/b', 'Default/Local Storage/leveldb/LOG',
    'ShaderCache/data_0', 'GraphiteDawnCache/x', 'Default/GPUCache/index', 'Default/databases/Databases.db',
    'Default/Service Worker/CacheStorage/c', 'Default/Service Worker/ScriptCache/s',
    'Default/InterestGroups', 'Default/Shared Storage', 'Default/Shared Storage-journal',
    'Default/StorageBuckets/b', 'Default/Bookmarks', 'Default/Preferences', 'Profile 1/Last Session', 'Local State',
]


def make_tree(root, paths):
    for p in paths:
        full = os.path.join(root, *p.split('/'))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'w') as f:
            f.write('x')


def present(root, paths):
    return {p for p in paths if os.path.exists(os.path.join(root, *p.split('/')))}


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
        import netfixtures
        cls.curl = real_curl()
        if cls.curl is None:
            raise unittest.SkipTest('no Windows curl.exe could be built')
        cls.certs = netfixtures.make_certificates(os.path.join(WORK, 'certs'))

    def setUp(self):
        import netfixtures
        install_curl(self, self.curl)
        ca, cert, key = self.certs
        self.env = {'CURL_CA_BUNDLE': win_path(ca)}
        self.server = netfixtures.GeoServer(
            cert, key, address=(netfixtures.geo_address(), 443), myip_body=b'203.0.113.9\n',
            geo_body=netfixtures.geo_json(ip='203.0.113.7', country_code='FR', timezone='Europe/Paris',
                                          latitude=48.8566, longitude=2.3522))
        self.addCleanup(self.server.close)

    def proxy(self, hosts):
        """microsocks (user "alice", password "s3cret") sending each endpoint
        name of `hosts` to its address."""
        import netfixtures
        proxy = netfixtures.Microsocks('alice', 's3cret', hosts, os.path.join(WORK, 'hosts'))
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


def hold_open(test, path, ms):
    """Another program (the stand-in) holds `path` open without sharing for
    `ms` milliseconds, from the moment this returns."""
    holder = subprocess.Popen([WINE, STAND_IN, 'hold', win_path(path), str(ms)], env=wine_env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    for cleanup in (holder.wait, holder.stdout.close, holder.kill):
        test.addCleanup(cleanup)
    assert holder.stdout.readline().strip() == b'held'


def install_curl(test, exe):
    """Puts `exe` (or nothing, for None) at System32\\curl.exe for one test."""
    if os.path.exists(SYSTEM32_CURL):
        os.remove(SYSTEM32_CURL)
    if exe:
        shutil.copy(exe, SYSTEM32_CURL)
    test.addCleanup(lambda: os.path.exists(SYSTEM32_CURL) and os.remove(SYSTEM32_CURL))


class LocalAppData:
    """The launcher's fallback folder (local application data + Orlisk),
    emptied before and after a test that uses it."""

    def __init__(self, test):
        local = strict_json(wine([STAND_IN, 'info']).stdout)['local_app_data']
        self.folder = os.path.join(PREFIX, 'drive_' + local[0].lower(), *local[3:].split('\\'), 'Orlisk')
        self.win = local + '\\Orlisk'
        shutil.rmtree(self.folder, ignore_errors=True)
        test.addCleanup(shutil.rmtree, self.folder, True)

    def create(self):
        os.makedirs(self.folder, exist_ok=True)
        return self.folder


class Screenshot:
    """The whole X screen, kept as a PNG artifact and read as raw RGB."""

    def __init__(self, display, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.png = os.path.join(ARTIFACTS, name + '.png')
        subprocess.run(['import', '-display', display, '-window', 'root', self.png], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        ppm = subprocess.run(['convert', self.png, '-depth', '8', 'ppm:-'], check=True, stdout=subprocess.PIPE,
                             timeout=30).stdout
        magic, width, height, _, self.data = ppm.split(maxsplit=4)  # "P6 <w> <h> 255" then RGB triples
        self.width, self.height = int(width), int(height)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def colours_in(self, left, top, right, bottom):
        """The set of colours inside a rectangle (right and bottom excluded)."""
        return {self.pixel(x, y) for y in range(max(top, 0), min(bottom, self.height))
                for x in range(max(left, 0), min(right, self.width))}


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))
