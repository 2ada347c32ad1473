#!/usr/bin/env python3
"""Checks that the product's folders depend on each other only in the
directions the README's "Layout" section allows (lines of the form
"- `folder/` ... uses: a, b, c"), and that those directions form no circle.
Reads every #include "folder/..." of the product's .h and .cpp files.
Also checks the one convention for Windows-only code: a .cpp file that
includes a Windows header (or a header that does) is named x_windows.cpp, its
Linux counterpart x_posix.cpp; CMakeLists.txt builds every other .cpp on both
systems and neither of those in the portable list; every unit x.cpp,
x_windows.cpp or x_posix.cpp has its header x.h (the programs' entry points,
main_windows.cpp, excepted). And that overlay/, profile/, records/ and check/
join no path as text, and that both entry points call SetDefaultDllDirectories
and SetErrorMode first thing.
Prints each breach and exits 1 when there is one."""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NOT_PRODUCT = {'tests', 'bench', 'scripts', 'build', 'resources', 'cmake', 'examples', 'schemas', '.git', '.ci'}

allowed = {}
with open(os.path.join(ROOT, 'README.md'), encoding='utf-8') as f:
    section = False
    for line in f:
        if line.startswith('## '):
            section = line.strip() == '## Layout'
        m = re.match(r'^- `(\w+)/`.*uses: ([^.]*)\.?\s*$', line) if section else None
        if m:
            uses = m.group(2).strip()
            allowed[m.group(1)] = set() if uses == 'nothing' else {u.strip() for u in uses.split(',')}

problems = []
for folder, uses in allowed.items():
    for used in uses - set(allowed):
        problems.append('README: %s/ uses %s/, which has no line of its own' % (folder, used))

# The allowed directions must not form a circle.
def reaches(start, goal, seen=()):
    return any(u == goal or (u not in seen and reaches(u, goal, seen + (u,))) for u in allowed.get(start, ()))
for folder in allowed:
    if reaches(folder, folder):
        problems.append('README: the directions allowed for %s/ lead back to it' % folder)

for folder in sorted(os.listdir(ROOT)):
    path = os.path.join(ROOT, folder)
    if not os.path.isdir(path) or folder in NOT_PRODUCT:
        continue
    if folder not in allowed:
        problems.append('%s/ holds product code but has no line in the README\'s Layout section' % folder)
        continue
    for base, _, names in os.walk(path):
        for name in names:
            if not name.endswith(('.h', '.cpp')):
                continue
            file = os.path.join(base, name)
            with open(file, encoding='utf-8') as f:
                for number, line in enumerate(f, 1):
                    m = re.match(r'\s*#\s*include\s+"(\w+)/', line)
                    if m and m.group(1) != folder and m.group(1) != 'vantrel' and m.group(1) not in allowed[folder]:
                        problems.append('%s:%d: %s/ must not include %s/' % (os.path.relpath(file, ROOT), number,
                                                                               folder, m.group(1)))
# Windows-only code: named so, built so, and every unit with its header.
with open(os.path.join(ROOT, 'CMakeLists.txt'), encoding='utf-8') as f:
    cmake = f.read()
portable = set(re.search(r'add_library\(vantrel_core STATIC([^)]*)\)', cmake).group(1).split())
units = [os.path.relpath(os.path.join(base, n), ROOT) for folder in allowed
         for base, _, names in os.walk(os.path.join(ROOT, folder)) for n in names if n.endswith(('.h', '.cpp'))]
windows_headers = {'windows.h', 'shlwapi.h', 'shlobj.h', 'bcrypt.h', 'shellapi.h', 'knownfolders.h'}
includes = {}
for unit in units:
    with open(os.path.join(ROOT, unit), encoding='utf-8') as f:
        includes[unit] = set(re.findall(r'^\s*#\s*include\s+[<"]([\w/.]+)[>"]', f.read(), re.M))
for _ in units:  # a header that includes a Windows-only header is Windows-only too
    windows_headers |= {u for u in units if u.endswith('.h') and includes[u] & windows_headers}
for unit in units:
    used = includes[unit] & windows_headers
    if unit.endswith('.cpp') and used and not unit.endswith('_windows.cpp'):
        problems.append('%s uses Windows headers (%s) but is not named *_windows.cpp' % (unit, ', '.join(sorted(used))))
    stem = re.sub(r'_(windows|posix)$', '', unit[:-4])
    if not unit.endswith('.cpp') or unit.endswith('/main_windows.cpp'):
        continue
    if not os.path.exists(os.path.join(ROOT, stem + '.h')):
        problems.append('%s has no header of its own (%s.h)' % (unit, stem))
    if (unit in portable) == (stem != unit[:-4]):
        problems.append('%s: CMakeLists.txt must build %s' % (
            unit, 'it on one system only' if unit in portable else 'it in vantrel_core on every system'))

# Every file call in Windows code takes a FilePath (its native()), the one form that no later call renames and
# no 260-character limit cuts: a plain string path there is refused.
FILE_CALLS = r'\b(CreateFileW|DeleteFileW|RemoveDirectoryW|GetFileAttributesW|SetFileAttributesW|FindFirstFileW|' \
             r'MoveFileExW|CreateDirectoryW)\(\s*([^,;]*)'
for unit in units:
    if not unit.endswith('_windows.cpp'):
        continue
    with open(os.path.join(ROOT, unit), encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            for call, first in re.findall(FILE_CALLS, line):
                if '.native()' not in first:
                    problems.append('%s:%d: %s takes a path that is not a FilePath (%s)' % (unit, number, call,
                                                                                          first.strip()))

# One profile folder, made once: below it every path is a FilePath's child(), never text joined with a separator
# (which Windows would rename again, and which could name a second folder). Texts that are only shown to people may
# be listed here by file and line text.
JOINS_REFUSED_IN = ('overlay', 'profile', 'records', 'check')
JOIN = re.compile(r"""(\+=?\s*L?["'](\\\\|/)|L?["'](\\\\|/)["']\s*\+)""")  # + "\\..."  "\\" +  + L'/'  ...
SHOWN_ONLY = set()  # (file, stripped line) pairs of texts only shown
for unit in units:
    if unit.split('/')[0] not in JOINS_REFUSED_IN:
        continue
    with open(os.path.join(ROOT, unit), encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            if JOIN.search(line) and (unit, line.strip()) not in SHOWN_ONLY:
                problems.append('%s:%d: a path joined as text; use FilePath::child() (%s)' % (unit, number, line.strip()))

# Both programs' first acts: DLLs only from System32, and no system box for a drive without media.
for entry in ('launcher/main_windows.cpp', 'check/main_windows.cpp'):
    with open(os.path.join(ROOT, entry), encoding='utf-8') as f:
        text = f.read()
    for call in ('SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)', 'SetErrorMode(SEM_FAILCRITICALERRORS)'):
        if call not in text:
            problems.append('%s: the entry point does not call %s' % (entry, call))

for p in problems:
    print(p)
print('%d passed, %d failed' % (0 if problems else 1, 1 if problems else 0))
sys.exit(1 if problems else 0)
