"""Sandboxes for the real programs under Wine (the stand-in program as the
Engine), profile trees, the launcher's fallback folder, and strict readers."""
import json
import os
import shutil
import subprocess
import tempfile

from wine import BUILD, PREFIX, SOURCE, STAND_IN, WORK, WineProcess, wait_for, wine, win_path

LAUNCHER_EXE = os.path.join(BUILD, 'vantrel.exe')
CHECK_EXE = os.path.join(BUILD, 'vantrel-check.exe')


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


class Sandbox:
    """A launcher folder with vantrel.exe, vantrel-check.exe and the stand-in
    Engine (it writes what it received to engine-received.json), and a
    profile folder, under the build tree's e2e-work folder."""

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

    # Ways to run a program of the sandbox: each blocks until it ends unless
    # its name says "in_background".

    def run_launcher(self, args, display=None, env=None, timeout=60):
        """Runs the launcher with Unix arguments (Wine quotes them); returns
        its exit code."""
        return wine([self.launcher] + list(args), display=display, env=env, timeout=timeout,
                    capture=False).returncode

    def start_engine(self, overlay=None, args=None, **kw):
        """Writes `overlay` when given, runs the launcher (with the profile
        argument unless `args` says otherwise), asserts exit code 0 and
        returns what the Engine received."""
        if overlay is not None:
            self.write_overlay(overlay)
        code = self.run_launcher([self.profile_arg] if args is None else args, **kw)
        assert code == 0, 'the launcher exited with %d' % code
        got = self.received()
        assert got is not None, 'the Engine did not start'
        return got

    def run_command_line(self, rest, display=None, program=None, held=None, env=None):
        """Runs the launcher (or `program`) with the exact command line
        '"<program>"' + rest, from a caller that lets it inherit a handle of
        `held` (a file it opens without sharing) when given; returns its exit
        code, and keeps the process id the caller got in `spawned_pid`."""
        line_file = os.path.join(self.root, 'command-line.txt')
        with open(line_file, 'wb') as f:
            f.write(('"%s"%s' % (win_path(program or self.launcher), rest)).encode('utf-8'))
        done = wine([STAND_IN, 'spawn', win_path(line_file)] + ([win_path(held)] if held else []), display=display,
                    env=env)
        assert done.returncode != 3, 'the stand-in could not start the launcher'
        self.spawned_pid = next((json.loads(l)['pid'] for l in done.stdout.splitlines() if l.startswith(b'{"pid"')), None)
        return done.returncode

    def launch_in_background(self, display, env=None, args=()):
        """Starts the launcher with the profile argument (and `args`) and returns at once."""
        proc = WineProcess([self.launcher, self.profile_arg] + list(args), display, env)
        self.test.addCleanup(proc.stop)
        return proc

    def check_report(self, args, env=None, expect=0):
        """Runs vantrel-check --json; asserts its exit code `expect` and
        returns its report, parsed and valid under its schema, and the bytes."""
        done = wine([self.check, '--json'] + args, env=env, timeout=120)
        assert done.returncode == expect, 'vantrel-check exited %d: %r' % (done.returncode, done.stderr[-2000:])
        return conforms(strict_json(done.stdout), 'check-report'), done.stdout

    def received(self, timeout=30):
        """What the stand-in Engine recorded (waiting, bounded), or None."""
        try:
            wait_for('', lambda: os.path.exists(self.received_path), timeout)
        except AssertionError:
            return None
        with open(self.received_path, 'rb') as f:
            return strict_json(f.read())

    @property
    def outcome_arg(self):
        return '--vantrel-outcome-file=' + win_path(os.path.join(self.root, 'outcome.json'))

    def outcome(self):
        """The outcome file the launcher wrote when given outcome_arg, valid under its schema, or None."""
        path = os.path.join(self.root, 'outcome.json')
        if not os.path.exists(path):
            return None
        with open(path, 'rb') as f:
            return conforms(strict_json(f.read()), 'outcome')

    def record(self, name='result', folder=None):
        """A record the launcher left (".orlisk-launcher-NAME.json"), or None."""
        path = os.path.join(folder or self.profile, '.orlisk-launcher-%s.json' % name)
        if not os.path.exists(path):
            return None
        with open(path, 'rb') as f:
            data = f.read()
        assert data.endswith(b'}\n'), data
        return conforms(strict_json(data), name + '-record')

    def files(self):
        """Every file and folder below the sandbox, relative to it."""
        return {os.path.relpath(os.path.join(base, n), self.root)
                for base, dirs, names in os.walk(self.root) for n in dirs + names}

    def expected_engine_line(self, rest, extra):
        """The Engine command line with the launcher's arguments `rest` and
        the added switches `extra`."""
        return '"%s" %s' % (self.engine_win, FIXED_SWITCHES) + (' ' + rest if rest else '') + (
            ' ' + extra if extra else '')


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


# The fixed switches on every Engine command line, written out here rather
# than taken from the programs, so that a wrong one cannot be copied into what
# the tests expect.
FIXED_SWITCHES = ('--hide-crash-restore-bubble --disable-features=PasswordManagerOnboarding,'
                  'AutofillEnableAccountWalletStorage --disable-save-password-bubble')

_host = []


def host_switches():
    """The switches a start adds for the host when the overlay names none:
    the host's memory (whole GiB, the nearest of 1, 2, 4, 8, 16, 32: 15.8
    counts as 16) and processors, as the test itself asks Windows for them."""
    if not _host:
        info = strict_json(wine([STAND_IN, 'info']).stdout)
        gib = info['memory_bytes'] / 2 ** 30
        memory = next((m for m, low in ((32, 24), (16, 12), (8, 6), (4, 3), (2, 1.5)) if gib >= low), 1)
        _host.append('--device-memory=%d --hardware-concurrency=%d --speech-voices-preset=stock-chrome-windows' % (
            memory, info['processors']))
    return _host[0]


def make_tree(root, paths):
    for p in paths:
        full = os.path.join(root, *p.split('/'))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'w') as f:
            f.write('x')


def present(root, paths):
    return {p for p in paths if os.path.exists(os.path.join(root, *p.split('/')))}


def hold_open(test, path, ms, access='rw', share='-', until=None):
    """Another program (the stand-in) holds `path` open for `ms` milliseconds,
    from the moment this returns: with `access` (r, w, rw) and `share` (any of
    r, w, d; - for none), and when `until` (a Windows name pattern) is given,
    only until a file of that pattern exists."""
    return holding(test, [STAND_IN, 'hold', win_path(path), str(ms), access, share] + ([until] if until else []))


def holding(test, args):
    """Starts a stand-in that holds something (it says "held" once it does)
    and returns once it holds it; it is ended with the test."""
    holder = WineProcess(args, stdout=subprocess.PIPE)
    test.addCleanup(holder.stop)
    assert holder.readline().strip() == b'held'
    return holder


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
