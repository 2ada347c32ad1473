#!/usr/bin/env python3
"""Checks that the product's folders depend on each other only in the
directions the README's "Layout" section allows (lines of the form
"- `folder/` ... uses: a, b, c"), and that those directions form no circle.
Reads every #include "folder/..." of the product's .h and .cpp files.
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
for p in problems:
    print(p)
print('%d passed, %d failed' % (0 if problems else 1, 1 if problems else 0))
sys.exit(1 if problems else 0)
