"""End-to-end harness: runs the real vantrel.exe under Wine.

Each test gets a sandbox: a launcher folder holding a copy of vantrel.exe and
the stand-in Engine (tests/tools/fake_engine.cpp) as vantrel-engine.exe, and
a profile folder. The stand-in writes what it received to
engine-received.json beside itself. Windows are shown on a private Xvfb
display when a test asks for one; otherwise DISPLAY is unset, as on a machine
where no window can be created.

Environment (set by CTest): VANTREL_WINEPREFIX, VANTREL_BUILD_DIR.
"""
import atexit
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from wine import WINE, WINESERVER
PREFIX = os.environ['VANTREL_WINEPREFIX']
BUILD = os.environ['VANTREL_BUILD_DIR']
LAUNCHER_EXE = os.path.join(BUILD, 'vantrel.exe')
FAKE_ENGINE_EXE = os.path.join(BUILD, 'tools', 'fake_engine.exe')
WINCTL_EXE = os.path.join(BUILD, 'tools', 'winctl.exe')
WORK = os.path.join(BUILD, 'e2e-work')

FIXED_SWITCHES = (' --hide-crash-restore-bubble'
                  ' --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage'
                  ' --disable-save-password-bubble')


def win_path(posix_path):
    """The Windows form of a Linux path (drive Z: maps the Linux root)."""
    return 'Z:' + os.path.abspath(posix_path).replace('/', '\\')


_MODE_FILE = os.path.join(PREFIX, '.vantrel-display-mode')


def _use_display_mode(display):
    """Wine's desktop process belongs to the display it was started with; one
    started without a display keeps later programs from showing windows on
    Xvfb, and one started on a display that has gone away does the same.
    So when a test switches between "no display" and a display, the prefix's
    processes are ended and its services started afresh."""
    mode = display or 'none'
    try:
        with open(_MODE_FILE) as f:
            if f.read() == mode:
                return
    except OSError:
        pass
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG='-all')
    subprocess.run([WINESERVER, '-k'], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, '-w'], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    subprocess.run([os.path.join(os.path.dirname(os.path.abspath(__file__)), 'wine_prefix.sh'), 'up', PREFIX]
                   + ([display] if display else []),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def wine_env(display=None, extra=None):
    _use_display_mode(display)
    env = dict(os.environ)
    env.update(WINEPREFIX=PREFIX, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
    env.pop('DISPLAY', None)
    if display:
        env['DISPLAY'] = display
    if extra:
        env.update(extra)
    return env


def wine(args, display=None, env=None, timeout=60, cwd=None, capture=True):
    """Runs a Windows program to its end; returns CompletedProcess (bytes).
    Without `capture` its output is discarded, so that the call returns when
    the program ends even if a process it started lives on (such a process
    shares the Unix output handles)."""
    out = subprocess.PIPE if capture else subprocess.DEVNULL
    return subprocess.run([WINE] + list(args), env=wine_env(display, env), cwd=cwd, timeout=timeout,
                          stdin=subprocess.DEVNULL, stdout=out, stderr=out)


def strict_json(data):
    """Parses bytes as strict UTF-8 JSON (no NaN/Infinity, no lone surrogates)."""
    def reject(name):
        raise ValueError('not JSON: ' + name)
    return json.loads(data.decode('utf-8', errors='strict'), parse_constant=reject)


_windows_facts = None


def windows_facts():
    """Facts of the Wine Windows: local application data, memory, processors."""
    global _windows_facts
    if _windows_facts is None:
        out = wine([WINCTL_EXE, 'info']).stdout
        _windows_facts = strict_json(out)
        local = _windows_facts['local_app_data']
        # C:\users\... lies under the prefix's drive_c.
        assert local[1:3] == ':\\', local
        _windows_facts['local_app_data_posix'] = os.path.join(
            PREFIX, 'drive_' + local[0].lower(), *local[3:].split('\\'))
    return _windows_facts


def device_memory_for(total_bytes):
    gib = total_bytes / 2 ** 30
    for threshold, value in ((24, 32), (12, 16), (6, 8), (3, 4), (1.5, 2)):
        if gib >= threshold:
            return value
    return 1


def host_switches():
    facts = windows_facts()
    return ('--device-memory=%d --hardware-concurrency=%d --speech-voices-preset=stock-chrome-windows'
            % (device_memory_for(facts['total_phys']), facts['processors']))


class Xvfb:
    """A private X display for tests that need windows."""
    _instance = None

    def __init__(self, width=1280, height=1024):
        for number in range(90, 140):
            if not os.path.exists('/tmp/.X11-unix/X%d' % number) and not os.path.exists('/tmp/.X%d-lock' % number):
                break
        self.display = ':%d' % number
        self.proc = subprocess.Popen(['Xvfb', self.display, '-screen', '0', '%dx%dx24' % (width, height), '-nolisten', 'tcp'],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not os.path.exists('/tmp/.X11-unix/X%d' % number):
            if time.time() > deadline or self.proc.poll() is not None:
                raise RuntimeError('Xvfb did not start')
            time.sleep(0.05)
        atexit.register(self.stop)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(5)

    @classmethod
    def shared(cls):
        if cls._instance is None:
            cls._instance = Xvfb()
        return cls._instance.display


class Sandbox:
    """A launcher folder with vantrel.exe and the stand-in Engine, and a
    profile folder, all under the build tree's e2e-work folder."""

    def __init__(self, test, app_name='app', engine=True):
        os.makedirs(WORK, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix=test.id().split('.')[-1][:40] + '-', dir=WORK)
        self.app = os.path.join(self.root, app_name)
        os.makedirs(self.app)
        shutil.copy(LAUNCHER_EXE, os.path.join(self.app, 'vantrel.exe'))
        if engine:
            shutil.copy(FAKE_ENGINE_EXE, self.engine_posix)
        self.profile = os.path.join(self.root, 'profile')
        os.makedirs(self.profile)
        test.addCleanup(shutil.rmtree, self.root, True)

    @property
    def launcher(self):
        return os.path.join(self.app, 'vantrel.exe')

    @property
    def engine_posix(self):
        return os.path.join(self.app, 'vantrel-engine.exe')

    @property
    def engine_win(self):
        return win_path(self.engine_posix)

    @property
    def received_path(self):
        return os.path.join(self.app, 'engine-received.json')

    @property
    def profile_arg(self):
        return '--user-data-dir=' + win_path(self.profile)

    def write_overlay(self, text, folder=None):
        data = text.encode('utf-8') if isinstance(text, str) else text
        with open(os.path.join(folder or self.profile, 'command-line.json'), 'wb') as f:
            f.write(data)

    def run(self, args, display=None, env=None, timeout=60):
        """Runs the launcher with Unix arguments (Wine quotes them)."""
        return wine([self.launcher] + list(args), display=display, env=env, timeout=timeout,
                    capture=False).returncode

    def run_exact(self, rest, display=None, env=None, timeout=60):
        """Runs the launcher with the exact command line '"<launcher>"' +
        rest, through CreateProcessW."""
        line = '"%s"%s' % (win_path(self.launcher), rest)
        line_file = os.path.join(self.root, "command-line.txt")
        with open(line_file, "wb") as f:
            f.write(line.encode('utf-8'))
        # Exit code 3 means winctl itself could not start the launcher (seen
        # rarely on a freshly made prefix); the launcher then never ran, so
        # starting it again hides nothing of its behaviour.
        for _ in range(3):
            done = wine([WINCTL_EXE, 'spawn', win_path(line_file)], display=display, env=env, timeout=timeout)
            if done.returncode != 3:
                return done.returncode
            time.sleep(0.5)
        raise AssertionError('winctl could not start the launcher: %r %r' % (done.stdout[-500:], done.stderr[-2000:]))

    def received(self, timeout=15):
        """What the stand-in Engine recorded, waiting for it to appear."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if os.path.exists(self.received_path):
                with open(self.received_path, 'rb') as f:
                    return strict_json(f.read())
            time.sleep(0.05)
        return None

    def engine_started(self, wait=1.5):
        return self.received(timeout=wait) is not None

    def result_record_bytes(self, folder=None):
        path = os.path.join(folder or self.profile, '.orlisk-launcher-result.json')
        if not os.path.exists(path):
            return None
        with open(path, 'rb') as f:
            return f.read()

    def result_record(self, folder=None):
        data = self.result_record_bytes(folder)
        return None if data is None else strict_json(data)

    def files(self):
        """Every file and folder below the sandbox, relative to it."""
        found = set()
        for base, dirs, names in os.walk(self.root):
            for n in dirs + names:
                found.add(os.path.relpath(os.path.join(base, n), self.root))
        return found


SYSTEM32_CURL = os.path.join(PREFIX, 'drive_c', 'windows', 'system32', 'curl.exe')
CURL_DOUBLE_EXE = os.path.join(BUILD, 'tools', 'curl_double.exe')


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
        self.folder = os.path.join(windows_facts()['local_app_data_posix'], 'Orlisk')
        shutil.rmtree(self.folder, ignore_errors=True)
        test.addCleanup(shutil.rmtree, self.folder, True)

    def create(self):
        os.makedirs(self.folder, exist_ok=True)
        return self.folder


class LauncherTest(unittest.TestCase):
    maxDiff = None

    def expected_engine_line(self, sandbox, rest, extra):
        line = '"%s"%s' % (sandbox.engine_win, FIXED_SWITCHES)
        if rest:
            line += ' ' + rest
        if extra:
            line += ' ' + extra
        return line


ARTIFACTS = os.path.join(BUILD, 'e2e-artifacts')


class Screenshot:
    """The whole X screen, kept as a PNG artifact and read as raw RGB."""

    def __init__(self, display, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.png = os.path.join(ARTIFACTS, name + '.png')
        subprocess.run(['import', '-display', display, '-window', 'root', self.png], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        ppm = subprocess.run(['convert', self.png, '-depth', '8', 'ppm:-'], check=True, stdout=subprocess.PIPE,
                             timeout=30).stdout
        # Binary PPM: "P6\n<w> <h>\n255\n" then RGB triples.
        parts = ppm.split(maxsplit=4)
        assert parts[0] == b'P6', parts[0]
        self.width, self.height = int(parts[1]), int(parts[2])
        self.data = parts[4]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def colours_in(self, left, top, right, bottom):
        """The set of colours inside a rectangle (right and bottom excluded)."""
        found = set()
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                found.add(self.pixel(x, y))
        return found


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))
