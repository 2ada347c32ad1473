"""Wine's programs (as cmake/wine.env names them for scripts and tests), the
test prefix and its display state, and a private Xvfb display. Windows show
on Xvfb when a test asks for a display; otherwise DISPLAY is unset, as on a
machine where no window can be created.

Environment (set by CTest): VANTREL_WINEPREFIX, VANTREL_BUILD_DIR."""
import atexit
import os
import subprocess
import tempfile
import time

_ENV = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'cmake', 'wine.env')
with open(_ENV) as _f:
    _paths = dict(line.strip().split('=', 1) for line in _f if '=' in line and not line.startswith('#'))
WINE = _paths['WINE']
WINESERVER = _paths['WINESERVER']
PREFIX = os.environ.get('VANTREL_WINEPREFIX', '')
BUILD = os.environ.get('VANTREL_BUILD_DIR', '')
STAND_IN = os.path.join(BUILD, 'tools', 'stand_in.exe')
WORK = os.path.join(BUILD, 'e2e-work')
SOURCE = os.environ.get('VANTREL_SOURCE_DIR', os.path.join(os.path.dirname(__file__), '..', '..'))


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


# Wine 8's loader now and then fails to create a process at all on a busy
# machine: it prints this (channel err:virtual) and exits with 1 before the
# program's first instruction. The program never ran, so it is started again.
LOADER_FAILED = b'failed to map the shared user data'


class WineProcess:
    """A Windows program started under Wine; every test starts them this way.
    When Wine's loader failed to create it, it is started again (up to three
    times in all), however the caller learns of its end: poll, wait or
    readline. Its errors go to a file (stderr_bytes)."""

    def __init__(self, args, display=None, env=None, stdout=subprocess.DEVNULL, cwd=None):
        run_env = wine_env(display, env)
        run_env['WINEDEBUG'] = run_env['WINEDEBUG'] + ',err+virtual'
        self._popen = dict(env=run_env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=stdout)
        self._args = [WINE] + list(args)
        self._tries = 0
        self._err = None
        self._start()

    def _start(self):
        self._tries += 1
        if self._err:
            self._err.close()
        self._err = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(self._args, stderr=self._err, **self._popen)

    def _started_again(self):
        """Starts the program again when it ended because the loader failed."""
        if self.proc.returncode != 1 or self._tries >= 3 or LOADER_FAILED not in self.stderr_bytes():
            return False
        if self.proc.stdout:
            self.proc.stdout.close()
        self._start()
        return True

    @property
    def returncode(self):
        return self.proc.returncode

    def poll(self):
        while self.proc.poll() is not None and self._started_again():
            pass
        return self.proc.returncode

    def wait(self, timeout=None):
        deadline = None if timeout is None else time.monotonic() + timeout
        while True:
            self.proc.wait(None if deadline is None else max(0.0, deadline - time.monotonic()))
            if not self._started_again():
                return self.proc.returncode

    def kill(self):
        self.proc.kill()

    def readline(self):
        """A line of its output (started with stdout=PIPE); b'' once it ended."""
        while True:
            line = self.proc.stdout.readline()
            if line or not (self.proc.wait() is not None and self._started_again()):
                return line

    def stderr_bytes(self):
        self._err.seek(0)
        return self._err.read()

    def stop(self):
        """Ends it if it still runs, and lets go of its files."""
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.proc.stdout:
            self.proc.stdout.close()
        self._err.close()


def wine(args, display=None, env=None, timeout=60, capture=True, cwd=None):
    """Runs a Windows program to its end and returns what it did, like
    subprocess.run. Its output goes to a file (or, without `capture`, is
    discarded), so that the call returns when the program ends even if a
    process it started (the Engine) still holds the output handles."""
    with tempfile.TemporaryFile() as out:
        proc = WineProcess(args, display, env, stdout=out if capture else subprocess.DEVNULL, cwd=cwd)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.stop()
            raise
        out.seek(0)
        done = subprocess.CompletedProcess(args, proc.returncode, out.read(), proc.stderr_bytes())
        proc.stop()
    return done


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
