"""Runs the unit tests (a Windows program) under Wine and makes the symbolic
links they ask for: a Windows program under Wine cannot make one, while a
link made on the Linux side shows as a reparse point, as on Windows. Each
request is a file "N.req" (target and link, Windows paths, one per line) in a
folder named by VANTREL_LINK_REQUESTS; the answer is "N.done" ("ok" or why).
The tests' folders are made in that folder too, and removed with it (a
Windows program under Wine cannot remove a link).

Usage: unit_tests_under_wine.py UNIT_TESTS_EXE [ARGS...]; exits with its code."""
import os
import shutil
import sys
import tempfile
import threading

from wine import PREFIX, WORK, WineProcess, win_path


def unix_path(path):
    """The Linux path of a Windows path on drive Z: (the Linux root) or C: (the prefix's drive_c)."""
    path = path[4:] if path.startswith('\\\\?\\') else path
    drive, rest = path[0].lower(), path[3:].replace('\\', '/')
    return '/' + rest if drive == 'z' else os.path.join(PREFIX, 'drive_' + drive, rest)


def serve(folder, stop):
    while not stop.wait(0.01):
        for name in [n for n in os.listdir(folder) if n.endswith('.req')]:
            request = os.path.join(folder, name)
            with open(request, encoding='utf-8') as f:
                target, link = f.read().split('\n')
            try:
                os.symlink(unix_path(target), unix_path(link))
                answer = 'ok'
            except OSError as e:
                answer = str(e)
            os.remove(request)
            with open(request[:-4] + '.part', 'w') as f:
                f.write(answer)
            os.rename(request[:-4] + '.part', request[:-4] + '.done')


def main():
    os.makedirs(WORK, exist_ok=True)
    folder = tempfile.mkdtemp(prefix='link-requests-', dir=WORK)
    stop = threading.Event()
    server = threading.Thread(target=serve, args=(folder, stop), daemon=True)
    server.start()
    try:
        tests = WineProcess(sys.argv[1:], env={'VANTREL_LINK_REQUESTS': win_path(folder)}, stdout=None)
        code = tests.wait()
        sys.stderr.buffer.write(tests.stderr_bytes())
        tests.stop()
    finally:
        stop.set()
        server.join()
        shutil.rmtree(folder, True)
    sys.exit(code)


if __name__ == '__main__':
    main()
