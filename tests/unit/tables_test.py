"""The C++ tables of endings and problems (printed by tests/tools/print_tables)
against the schemas callers validate with and the MANUAL's tables: every
code present in each, with the same names, exit codes and severities.

Usage: tables_test.py PRINT_TABLES SOURCE_DIR"""
import json
import os
import re
import subprocess
import sys
import unittest

PRINT_TABLES, SOURCE = sys.argv[1], sys.argv[2]


def schema(name):
    with open(os.path.join(SOURCE, 'schemas', name + '.schema.json'), encoding='utf-8') as f:
        return json.load(f)


def manual_rows():
    """Each row of the MANUAL's tables, as its cells."""
    with open(os.path.join(SOURCE, 'MANUAL.md'), encoding='utf-8') as f:
        return [[c.strip() for c in line.strip().strip('|').split('|')] for line in f if line.startswith('| ')]


class Tables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tables = json.loads(subprocess.run([PRINT_TABLES], stdout=subprocess.PIPE, check=True).stdout)

    def test_endings_against_the_outcome_schema_and_the_manual(self):
        outcome = schema('outcome')
        self.assertEqual(sorted(outcome['properties']['outcome']['enum']),
                         sorted(e['outcome'] for e in self.tables['endings']))
        # The schema's rule for each outcome names its exit code.
        exit_codes = {}
        for rule in outcome['allOf']:
            named = rule['if']['properties'].get('outcome', {})
            code = rule.get('then', {}).get('properties', {}).get('exit_code', {}).get('const')
            for name in named.get('enum', [named.get('const')]):
                if name is not None and code is not None:
                    exit_codes[name] = code
        # The MANUAL's table of what a caller observes: exit code first, the outcomes last.
        manual = {}
        for cells in manual_rows():
            if re.match(r'^\d+$', cells[0]) and len(cells) == 6:
                for name in re.findall(r'`(\w+)`', cells[-1]):
                    manual.setdefault(name, set()).add(int(cells[0]))
        for e in self.tables['endings']:
            with self.subTest(outcome=e['outcome']):
                self.assertEqual(exit_codes.get(e['outcome']), e['exit_code'])
                self.assertEqual(manual.get(e['outcome']), {e['exit_code']})

    def test_problems_against_the_check_report_schema_and_the_manual(self):
        codes = schema('check-report')['properties']['problems']['items']['properties']['code']['enum']
        self.assertEqual(codes, [p['code'] for p in self.tables['problems']])
        manual = {re.sub(r'`', '', cells[0]): cells[1] for cells in manual_rows()
                  if len(cells) == 3 and cells[1] in ('error', 'warning')}
        self.assertEqual(manual, {p['code']: p['severity'] for p in self.tables['problems']})
        # An ending the check can foresee is a problem of the same name, an error.
        for e in self.tables['endings']:
            if e['problem']:
                self.assertEqual(manual.get(e['problem']), 'error', e)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1])
