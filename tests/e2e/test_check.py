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

    def test_json_is_ascii_and_reads_as_the_launcher_read(self):
        # Bytes that read the same in every code page; the values exactly the launcher's.
        s = Sandbox(self)
        profile = os.path.join(s.root, 'Prófil \U0001F600')
        os.makedirs(profile)
        s.write_overlay('{"start-page":"https://bücher.example/\U0001F600","lang":"ü"}', folder=profile)
        args = ['--user-data-dir=' + win_path(profile), 'ä']
        report, raw = s.check_report(args)
        self.assertEqual([b for b in raw if b >= 0x80], [])
        self.assertEqual((report['user_data_dir'], report['settings']['start-page']['value']),
                         (win_path(profile), 'https://bücher.example/\U0001F600'))
        self.assertEqual(s.run_launcher(args), 0)
        self.assertEqual(report['engine_command_line'], s.received()['command_line'])

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
        # Without --probe a start that needs discovery needs the probe; with it, a dead proxy blocks. Profiles
        # checked one or sixteen at a time, in the folders' order either way.
        s = Sandbox(self)
        store = os.path.join(s.root, 'store')
        for name, overlay in (('a', '{}'), ('b', '{"auto-timezone":true,"proxy-server":"socks5://127.0.0.1:9"}')):
            os.makedirs(os.path.join(store, name))
            s.write_overlay(overlay, os.path.join(store, name))
        for args, code, outcomes in ((['--jobs', '1'], 0, ['started', 'needs_probe']),
                                     (['--jobs=16', '--probe'], 3, ['started', 'blocked'])):
            with self.subTest(args=args):
                done = wine([s.check, '--json'] + args + ['--profiles', win_path(store)])
                self.assertEqual((done.returncode, [json.loads(l)['would_outcome'] for l in done.stdout.splitlines()]),
                                 (code, outcomes))
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
    def test_random_overlays(self):
        rng = random.Random(int(os.environ.get('VANTREL_CHECK_SEED', '7')))
        deleting = 0
        for round_ in range(int(os.environ.get('VANTREL_CHECK_ROUNDS', '12'))):
            overlay = random_overlay(rng)
            with self.subTest(overlay=overlay):
                s = Sandbox(self)
                with open(os.path.join(s.app, 'orlisk-webgl-profiles.json'), 'w') as f:
                    f.write('{"nv":{"gl-vendor":"\\"A B\\"","max":16384}}')
                make_tree(s.profile, rng.sample(PROFILE_TREE, len(PROFILE_TREE) // 2))
                s.write_overlay(overlay)
                args = [s.profile_arg, '--no-first-run'] + (['a "b"'] if round_ % 2 else [])
                unreadable = round_ % 6 == 5  # held by another program past the wait: nothing is begun
                if unreadable:
                    hold_open(self, os.path.join(s.profile, 'command-line.json'), 60000)
                before = s.files()
                report = s.check_report(args)[0]
                self.assertEqual(s.files(), before)  # the check changed nothing
                self.assertEqual(s.run_launcher(args), 1 if unreadable else 0)
                self.assertEqual('overlay_unreadable' in [p['code'] for p in report['problems']], unreadable)
                if not unreadable:
                    self.assertEqual(report['engine_command_line'], s.received()['command_line'])
                gone = before - s.files()
                top = {p for p in gone if os.path.dirname(p) not in gone}
                self.assertEqual({win_path(os.path.join(s.root, p)) for p in top}, set(report['would_delete']))
                deleting += bool(top)
        self.assertGreater(deleting, 2)  # the rounds did delete

