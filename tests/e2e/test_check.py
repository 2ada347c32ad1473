"""vantrel-check.exe: its report names the readings that surprise people, and
what it says a start will pass and delete is what vantrel.exe then really
passes and deletes. The check itself changes nothing."""
import json
import os
import random
import unittest

from sandbox import PROFILE_TREE, LocalAppData, Sandbox, hold_open, make_tree
from wine import win_path, wine


class Readings(unittest.TestCase):
    # What the report says of each setting is the unit tests'.
    def test_without_an_overlay_it_names_both_places_looked_at(self):
        s = Sandbox(self)
        report = s.check_report([s.profile_arg])[0]
        self.assertEqual((report['overlay_path'], report['overlay_looked_at']), (None, [
            win_path(os.path.join(s.profile, 'command-line.json')), LocalAppData(self).win + '\\command-line.json']))

    def test_escape_sequences_never_reach_the_terminal(self):
        # Hide, clear, set the title, write the clipboard (OSC 52), CSI as one C1 character.
        s = Sandbox(self)
        s.write_overlay('{"start-page":"https://x/\x1b[8m\x1b]0;t\x07","\x1b[2J":1,"lang":"\u009b31m",'
                        '"timezone-override":"\x1b]52;c;aGk=\x07","proxy-server":"socks5://h:1/\x7f"}')
        out = wine([s.check, s.profile_arg, '--x=\x1b[8m']).stdout.decode()
        self.assertEqual({c for c in out if c < ' ' or '\x7f' <= c <= '\x9f'}, {'\n'})
        self.assertIn('https://x/\\x1b[8m\\x1b]0;t\\x07', out)

    def test_a_missing_engine_is_an_error(self):
        s = Sandbox(self, engine=False)
        report = s.check_report(['--strict', s.profile_arg], expect=5)[0]
        self.assertEqual([p['code'] for p in report['problems']], ['engine_missing'])

    def test_a_store_entry_is_read_as_listed(self):
        # A profile "x." beside a link "x" to another profile: the audit reads
        # "x." itself, and never enters the link.
        s = Sandbox(self)
        store, other = os.path.join(s.root, 'store'), os.path.join(s.root, 'other')
        for folder, page in ((os.path.join(store, 'x.'), 'mine'), (other, 'theirs')):
            os.makedirs(folder)
            s.write_overlay('{"start-page":"https://%s.example/"}' % page, folder)
        os.symlink(other, os.path.join(store, 'x'))
        done = wine([s.check, '--json', '--profiles', win_path(store)])
        self.assertEqual([json.loads(line)['settings']['start-page']['value'] for line in done.stdout.splitlines()],
                         ['https://mine.example/'])

    def test_a_store_says_how_each_start_would_end(self):
        # Without --probe a start that needs discovery needs the probe (with it: the probe's tests). Profiles
        # checked one at a time, in the folders' order; more than sixteen at once is a usage error.
        s = Sandbox(self)
        store = os.path.join(s.root, 'store')
        for name, overlay in (('a', '{}'), ('b', '{"auto-timezone":true,"proxy-server":"socks5://127.0.0.1:9"}')):
            os.makedirs(os.path.join(store, name))
            s.write_overlay(overlay, os.path.join(store, name))
        done = wine([s.check, '--json', '--jobs', '1', '--profiles', win_path(store)])
        self.assertEqual((done.returncode, [json.loads(l)['would_outcome'] for l in done.stdout.splitlines()]),
                         (0, ['started', 'needs_probe']))
        self.assertEqual(wine([s.check, '--jobs', '17', '--profiles', win_path(store)]).returncode, 2)

    def test_own_options_only_before_the_launchers_arguments(self):
        s = Sandbox(self)
        self.assertEqual(wine([s.check, s.profile_arg, '--json']).returncode, 2)


def random_overlay(rng):
    """A passthrough overlay of the keys that shape a start, often surprising."""
    members = []
    for key, values in (
            ('close-previous-tabs', ['true', '"true"', '1', '"yes"', 'false']),
            ('start-page', ['"https://a.example/?x=1 y"', '"--x"', '" /y"', '"\\u00e9t\\u00e9"', '""',
                            '"https://\\"q\\" b"']),
            ('device-memory', ['4', 'null']), ('speech-voices', ['""']), ('hardware-concurrency', ['1']),
            ('webgl-profile', ['"nv"', '"NV"']),
            ('granular-storage-reset', ['{"all":true}', '{"cookies":true,"Cookies":true}', '{"cache_storage":true}',
                                        '{"service_workers":true,"shader_cache":true,"websql":false}',
                                        '{"x":{"y":1},"cookies":true}', '{"a-b":true,"cookies":true,"indexeddb":"true"}',
                                        '{"cookies":true,"cookies":false,"websql":true}']),
            ('auto-timezone', ['true']), ('proxy-server', ['"http://h:1"'])):
        if rng.random() < 0.5:
            members.append('"%s":%s' % (key, rng.choice(values)))
    if members and rng.random() < 0.3:  # a key named twice: the first that reads counts
        members.append(rng.choice(members).replace('true', 'false'))
    rng.shuffle(members)
    return '{' + ','.join(members) + '}'


class SameAsTheLauncher(unittest.TestCase):
    """What the check says a start passes and deletes is what the launcher,
    started with the same arguments, then passes and deletes; the check's
    report is ASCII and changes nothing."""

    def test_chosen_and_random_starts(self):
        # (overlay, the profile folder's name, more arguments, files in it, whether another program holds its
        # "lockfile" as a running Engine does (one left by a crash is free), whether it holds the overlay past
        # the launcher's wait)
        page = ',"device-memory":1,"hardware-concurrency":1,"speech-voices":1}'
        cleaning = '{"close-previous-tabs":true,"granular-storage-reset":{"cookies":true}}'
        cases = [('{"start-page":"https://x.example/\\" --evil=1 \\""' + page, 'profile', [], [], False, False),
                 ('{"start-page":" --x"' + page, 'profile', [], [], False, False),
                 ('{"start-page":"https://b\u00fccher.example/\U0001F600","lang":"\u00fc"}', 'Pr\u00f3fil \U0001F600',
                  ['\u00e4'], [], False, False),
                 (cleaning, 'profile', [], ['Default/Last Session', 'Default/Cookies', 'lockfile'], True, False),
                 (cleaning, 'profile', [], ['Default/Last Session', 'Default/Cookies', 'lockfile'], False, False)]
        rng = random.Random(int(os.environ.get('VANTREL_CHECK_SEED', '7')))
        for round_ in range(int(os.environ.get('VANTREL_CHECK_ROUNDS', '12'))):
            cases.append((random_overlay(rng), 'profile', ['--no-first-run'] + (['a "b"'] if round_ % 2 else []),
                          rng.sample(PROFILE_TREE, len(PROFILE_TREE) // 2), False, round_ % 6 == 5))
        deleting = 0
        for overlay, name, more, tree, in_use, unreadable in cases:
            with self.subTest(overlay=overlay, profile=name):
                s = Sandbox(self)
                with open(os.path.join(s.app, 'orlisk-webgl-profiles.json'), 'w') as f:
                    f.write('{"nv":{"gl-vendor":"\\"A B\\"","max":16384}}')
                profile = os.path.join(s.root, name)
                os.makedirs(profile, exist_ok=True)
                make_tree(profile, tree)
                s.write_overlay(overlay, folder=profile)
                args = ['--user-data-dir=' + win_path(profile)] + more
                if in_use:
                    hold_open(self, os.path.join(profile, 'lockfile'), 60000, 'w', 'r')
                if unreadable:
                    hold_open(self, os.path.join(profile, 'command-line.json'), 60000)
                before = s.files()
                report, raw = s.check_report(args)
                self.assertEqual(s.files(), before)  # the check changed nothing
                self.assertEqual([b for b in raw if b >= 0x80], [])  # bytes that read the same in every code page
                self.assertEqual((report['user_data_dir'], report['profile_in_use']), (win_path(profile), in_use))
                self.assertEqual(s.run_launcher(args), 1 if unreadable else 0)  # unreadable: nothing is begun
                self.assertEqual('overlay_unreadable' in [p['code'] for p in report['problems']], unreadable)
                if not unreadable:
                    self.assertEqual(report['engine_command_line'], s.received()['command_line'])
                gone = before - s.files()
                top = {p for p in gone if os.path.dirname(p) not in gone}
                self.assertEqual({win_path(os.path.join(s.root, p)) for p in top}, set(report['would_delete']))
                if 'lockfile' in tree:
                    self.assertEqual(len(top), 0 if in_use else 2)  # a profile in use is not cleaned
                deleting += bool(top)
        self.assertGreater(deleting, 2)  # the starts did delete
