#!/usr/bin/env python3
"""Cleaning benchmark: the launcher of an earlier commit ("before") against
this one ("after"), alternating within one run, under Wine, each cleaning
the same trees out of a profile on its passthrough path (the overlay asks for
"indexeddb"): a wide tree of 20,000 files (100 folders of 200; the median of
RUNS runs each), and chains of 1,000, 2,000 and 3,000 folders (one run each:
a chain takes Wine minutes). Prints the wall time of each (from the
launcher's start to its exit, Wine's process start included), the ratio
after/before, and how many folders of a chain were left.

Usage: cleaning_bench.py WORK_DIR PREFIX BEFORE_EXE AFTER_EXE RUNS [wide]
("wide": the wide tree only)."""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'e2e'))
from wine import WINE  # noqa: E402

work, prefix, before_exe, after_exe, runs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
sys.setrecursionlimit(100000)  # shutil.rmtree of a chain 3,000 folders deep
win = lambda p: 'Z:' + os.path.abspath(p).replace('/', '\\')
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
env.pop('DISPLAY', None)

apps = {}
for name, exe in (('before', before_exe), ('after', after_exe)):
    apps[name] = os.path.join(work, name)
    os.makedirs(apps[name], exist_ok=True)
    shutil.copy(exe, os.path.join(apps[name], 'vantrel.exe'))
    shutil.copy(os.path.join(ROOT, 'build', 'windows', 'tools', 'stand_in.exe'),
                os.path.join(apps[name], 'vantrel-engine.exe'))
profile = os.path.join(work, 'profile')
indexeddb = os.path.join(profile, 'Default', 'IndexedDB')


def make_wide():
    for folder in range(100):
        path = os.path.join(indexeddb, 'f%03d' % folder)
        os.makedirs(path)
        for n in range(200):
            open(os.path.join(path, '%03d.ldb' % n), 'w').close()


def make_chain(levels):
    """A chain of `levels` folders "d" with a file at its end, made through
    descriptors: the whole path may be longer than Linux's path limit."""
    os.makedirs(indexeddb)
    fd = os.open(indexeddb, os.O_RDONLY)
    for _ in range(levels):
        os.mkdir('d', dir_fd=fd)
        inner = os.open('d', os.O_RDONLY, dir_fd=fd)
        os.close(fd)
        fd = inner
    os.close(os.open('f', os.O_WRONLY | os.O_CREAT, dir_fd=fd))
    os.close(fd)


def chain_left():
    """How many folders of the chain are left (0: the tree is gone)."""
    if not os.path.exists(indexeddb):
        return 0
    fd, depth = os.open(indexeddb, os.O_RDONLY), 0
    while 'd' in os.listdir(fd):
        inner = os.open('d', os.O_RDONLY, dir_fd=fd)
        os.close(fd)
        fd, depth = inner, depth + 1
    os.close(fd)
    return depth + 1


def clean(name):
    """One start of `name`'s launcher; its wall time in ms."""
    start = time.monotonic()
    done = subprocess.run([WINE, os.path.join(apps[name], 'vantrel.exe'), '--user-data-dir=' + win(profile)], env=env,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)
    ms = (time.monotonic() - start) * 1000
    if done.returncode != 0:
        sys.exit('%s exited with %d' % (name, done.returncode))
    return ms


shapes = [('wide, 20,000 files', make_wide, runs)] + [
    ('chain of %d folders' % n, lambda n=n: make_chain(n), 1) for n in (1000, 2000, 3000) if sys.argv[6:] != ['wide']]
print('ms from start to exit (Wine\'s process start included); the wide tree the median of %d alternated runs' % runs)
for label, make, count in shapes:
    times = {'before': [], 'after': []}
    left = {}
    for run in range(count):
        for name in ('before', 'after') if run % 2 == 0 else ('after', 'before'):
            shutil.rmtree(profile, ignore_errors=True)
            os.makedirs(profile)
            with open(os.path.join(profile, 'command-line.json'), 'w') as f:
                f.write('{"granular-storage-reset":{"indexeddb":true}}')
            make()
            times[name].append(clean(name))
            left[name] = chain_left()
    b, a = statistics.median(times['before']), statistics.median(times['after'])
    print('%-22s before %9.0f  after %9.0f  after/before %.2f   folders left: before %d, after %d' % (
        label, b, a, a / b, left['before'], left['after']))
shutil.rmtree(work, ignore_errors=True)
