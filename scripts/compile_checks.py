#!/usr/bin/env python3
"""Compiles every Windows product source twice more, syntax only, warnings as
errors, to guard the claim that the product is standard C++ and Win32 only,
buildable by MSVC too:

1. mingw-w64's g++ with the Windows SDK's macros in force: WIN32_LEAN_AND_MEAN
   undone and windows.h and rpcndr.h included first (rpcndr.h defines small,
   hyper and more as macros, as the SDK's does), so a member named like one
   breaks here as it would under MSVC;
2. Debian's clang in mingw mode (--target=x86_64-w64-windows-gnu), a second
   compiler on the same headers (libstdc++ and mingw-w64's, the folders that
   x86_64-w64-mingw32-g++-posix -v lists).

Usage: compile_checks.py BUILD_DIR (the windows preset's, for its generated
header). Prints each failure and a closing line; exits 1 on any."""
import concurrent.futures
import glob
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRODUCT = ('base', 'platform', 'overlay', 'webgl', 'records', 'profile', 'discovery', 'ui', 'launcher', 'check')
GXX = 'x86_64-w64-mingw32-g++-posix'
FLAGS = ['-std=c++17', '-fsyntax-only', '-DUNICODE', '-D_UNICODE', '-DWIN32_LEAN_AND_MEAN', '-DNOMINMAX',
         '-D_WIN32_WINNT=0x0A00', '-I' + ROOT, '-I' + os.path.join(sys.argv[1], 'generated'), '-Wall', '-Wextra',
         '-Wpedantic', '-Wshadow', '-Wconversion', '-Wsign-conversion', '-Werror']


def include_folders():
    """The folders mingw-w64's g++ searches for <...>, in its order."""
    out = subprocess.run([GXX, '-v', '-x', 'c++', '-E', os.devnull], stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr
    listed = out.split('#include <...> search starts here:')[1].split('End of search list.')[0].split()
    # The compiler's own intrinsic headers are clang's, not GCC's.
    return [os.path.normpath(d) for d in listed if not re.search(r'/include(-fixed)?$', d) or 'mingw32/include' in d]


def main():
    sources = sorted(s for folder in PRODUCT for s in glob.glob(os.path.join(ROOT, folder, '*.cpp'))
                     if not s.endswith('_posix.cpp'))
    macros = [GXX] + FLAGS + ['-UWIN32_LEAN_AND_MEAN', '-include', 'windows.h', '-include', 'rpcndr.h']
    clang = ['clang++', '--target=x86_64-w64-windows-gnu', '-nostdinc++'] + FLAGS
    for folder in include_folders():
        clang += ['-isystem', folder]
    jobs = [(name, command + [source]) for name, command in (('with the SDK\'s macros', macros), ('clang', clang))
            for source in sources]
    failed = []
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for (name, command), done in zip(jobs, pool.map(
                lambda job: subprocess.run(job[1], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True), jobs)):
            if done.returncode != 0:
                failed.append(name)
                print('%s: %s\n%s' % (name, os.path.relpath(command[-1], ROOT), done.stdout[-3000:]))
    print('%d passed, %d failed' % (len(jobs) - len(failed), len(failed)))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
