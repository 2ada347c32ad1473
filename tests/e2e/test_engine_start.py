"""Finding and starting the Engine: the message boxes, the launcher's own
arguments passed on unchanged, and the launcher's exit."""
import os
import shutil
import struct
import time
import unittest

from sandbox import (CHECK_EXE, LAUNCHER_EXE, LocalAppData, Sandbox, hold_open, host_switches, make_tree, present,
                     strict_json)
from wine import BUILD, STAND_IN, Xvfb, wait_for, win_path, wine


def dismiss_message_box(sandbox, display):
    """Starts the launcher, reads the message box it shows, presses OK.
    Returns (box as dict, launcher exit code)."""
    launcher = sandbox.launch_in_background(display)
    out = wine([STAND_IN, 'msgbox', '15000'], display=display, timeout=30).stdout
    return (strict_json(out) if out.strip() else None), launcher.wait(30)


class MissingOrBrokenEngine(unittest.TestCase):
    def test_missing_engine_box_names_the_path_and_nothing_is_touched(self):
        s = Sandbox(self, app_name='my app \u00e9', engine=False)
        local = LocalAppData(self)
        s.write_overlay('{"start-page":"https://x.example/","granular-storage-reset":{"all":true}}')
        os.makedirs(os.path.join(s.profile, 'Default', 'Sessions'))
        before = s.files()
        box, code = dismiss_message_box(s, Xvfb.shared())
        self.assertEqual((box, code), ({'caption': 'Vantrel', 'text': 'Engine binary not found:\n%s\n\n'
                                        'Reinstall Vantrel.' % s.engine_win}, 1))
        self.assertEqual(s.run_launcher([s.profile_arg]), 1)  # and without a display
        self.assertEqual(s.files(), before)
        self.assertFalse(os.path.exists(local.folder))

    def test_engine_that_cannot_start_is_reported(self):
        s = Sandbox(self, engine=False)
        with open(s.engine_posix, 'wb') as f:
            f.write(b'this is not a Windows program\r\n')
        box, code = dismiss_message_box(s, Xvfb.shared())
        self.assertEqual((box['caption'], code), ('Vantrel', 1))
        # The system's word, its "%1" filled with the path.
        self.assertRegex(box['text'], r'^Engine could not be started:\n%s\n\nWindows error \d+( \([^%%]+\))?$'
                         % s.engine_win.replace('\\', r'\\'))


    def test_the_outcome_file_tells_how_each_run_ended(self):
        # (engine: present, not a program or missing; the overlay; the profile in use) -> the outcome file's members.
        keys = ('outcome', 'exit_code', 'result_record_written', 'status', 'error_code', 'curl_exit_code', 'cleaning')
        rows = (
            ('ok', '{"close-previous-tabs":true}', False, ('started', 0, True, 'passthrough', '', None, 'done')),
            ('ok', '{"granular-storage-reset":{"cookies":true}}', True,
             ('started', 0, True, 'passthrough', '', None, 'skipped_profile_in_use')),
            ('ok', '{"lang":"de"}', False, ('started', 0, True, 'passthrough', '', None, 'not_asked')),
            ('bad', '{"close-previous-tabs":true}', False,
             ('engine_refused', 1, True, 'passthrough', '', None, 'done')),
            ('missing', '{}', False, ('engine_missing', 1, False, None, None, None, 'not_done')),
            ('ok', '{"start-page":"https://x.example/%s"}' % ('a' * 40000), False,
             ('command_line_too_long', 1, False, None, None, None, 'not_done')),
        )
        for engine, overlay, in_use, expected in rows:
            with self.subTest(engine=engine, overlay=overlay[:40], in_use=in_use):
                s = Sandbox(self, engine=engine == 'ok')
                if engine == 'bad':
                    with open(s.engine_posix, 'wb') as f:
                        f.write(b'not a program\r\n')
                make_tree(s.profile, ['Default/Sessions/x', 'lockfile'])
                if in_use:
                    hold_open(self, os.path.join(s.profile, 'lockfile'), 60000, 'w', 'r')
                s.write_overlay(overlay)
                code = s.run_launcher([s.profile_arg, s.outcome_arg])  # no display: a box returns at once
                told = s.outcome()
                self.assertEqual((code,) + tuple(told[k] for k in keys), (expected[1],) + expected)
                got = s.received(timeout=30 if expected[0] == 'started' else 2)
                self.assertEqual(told['engine_pid'], got['pid'] if got else None)
                self.assertEqual(s.outcome_arg in got['argv'] if got else True, True)  # passed on unchanged
                self.assertRegex(told['program_version'], r'^\d+\.\d+\.\d+$')
        # Without the argument there is none.
        s = Sandbox(self)
        s.start_engine('{}')
        self.assertIsNone(s.outcome())

    def test_a_caller_that_asks_for_the_outcome_file_gets_no_box(self):
        # With a display: no box waits for a click nobody gives; the outcome
        # file says why (the system's code for the refusal, the line's length).
        # On a window station nobody sees, no box waits either.
        too_long = '{"start-page":"https://x.example/%s"}' % ('a' * 40000)
        for engine, overlay, ending in (('missing', '{}', 'engine_missing'), ('bad', '{}', 'engine_refused'),
                                        ('ok', too_long, 'command_line_too_long')):
            with self.subTest(ending=ending):
                s = Sandbox(self, engine=engine == 'ok')
                if engine == 'bad':
                    with open(s.engine_posix, 'wb') as f:
                        f.write(b'not a program\r\n')
                s.write_overlay(overlay)
                self.assertEqual(s.run_launcher([s.profile_arg, s.outcome_arg], display=Xvfb.shared(), timeout=30), 1)
                told = s.outcome()
                self.assertEqual(told['outcome'], ending)
                self.assertIn({'engine_missing': 'Engine binary not found: ', 'engine_refused': 'Engine could not be started: ',
                               'command_line_too_long': "The Engine's command line would be "}[ending],
                              told['reason']['box_text'])
                if ending == 'engine_refused':
                    self.assertEqual(told['reason']['system_error'], 193)
                if ending == 'command_line_too_long':
                    self.assertEqual((told['reason']['command_line_limit'], told['reason']['command_line_length'] > 40000),
                                     (32766, True))
        s = Sandbox(self, engine=False)
        self.assertEqual(s.run_command_line(' ' + s.profile_arg, display=Xvfb.shared(),
                                            env={'VANTREL_SPAWN_DESKTOP': 'Hidden\\Default'}), 1)

    def test_an_earlier_outcome_never_reads_as_this_runs(self):
        # A started run's file, read-only, or held by a reader (without delete
        # sharing) until this run's new file waits beside it: a run that
        # blocks never leaves it saying "started"; the file names its run.
        for held in (False, True):
            with self.subTest(held=held):
                s = Sandbox(self)
                s.write_overlay('{"auto-timezone":true,"proxy-server":"socks5://127.0.0.1:9","on-proxy-fail":"block"}')
                path = os.path.join(s.root, 'outcome.json')
                with open(path, 'w') as f:
                    f.write('{"schema":1,"outcome":"started","exit_code":0,"engine_pid":4242}\n')
                if held:
                    hold_open(self, path, 60000, 'r', 'rw', win_path(path) + '.*.tmp')
                else:
                    os.chmod(path, 0o444)
                self.assertEqual(s.run_command_line(' %s %s' % (s.profile_arg, s.outcome_arg)), 42)
                told = s.outcome()
                self.assertEqual((told['outcome'], told['engine_pid'], told['launcher_pid']),
                                 ('blocked', None, s.spawned_pid))

    def test_a_command_line_too_long_for_windows_begins_nothing(self):
        # A start page of 40,000 characters (someone else's overlay): nothing
        # cleaned, no record, no Engine, and the box says so; the check too.
        s = Sandbox(self)
        make_tree(s.profile, ['Default/Last Session'])
        s.write_overlay('{"start-page":"https://x.example/%s"}' % ('a' * 40000))
        report = s.check_report([s.profile_arg])[0]
        self.assertEqual([p['code'] for p in report['problems']], ['command_line_too_long'])
        box, code = dismiss_message_box(s, Xvfb.shared())
        self.assertEqual((box, code), ({'caption': 'Vantrel', 'text': "The Engine's command line would be %d characters "
                                        "long; Windows allows at most 32,766. Shorten the start page or the overlay's "
                                        "values." % len(report['engine_command_line'])}, 1))
        self.assertEqual((s.record(), present(s.profile, ['Default/Last Session']), s.received(timeout=3)),
                         (None, {'Default/Last Session'}, None))


class PassThrough(unittest.TestCase):
    def test_host_switches_are_the_hosts(self):
        s = Sandbox(self)
        self.assertEqual(s.start_engine('{}')['command_line'], s.expected_engine_line(
            s.profile_arg, host_switches() + ' chrome://version'))

    def test_exact_command_lines(self):
        # (what follows the launcher's own quoted name, the remainder passed on)
        budget = 32767 - 400 - len(host_switches())  # room for the Engine's path and switches
        cases = [
            ('', ''),
            ('   "a b"  c\\\\"d e"\\ x  ', '"a b"  c\\\\"d e"\\ x  '),
            (' "--user-data-dir=PROFILE" --x', '"--user-data-dir=PROFILE" --x'),
            ('\t""\t"', '""\t"'),
            (' ' + ('x' * 99 + ' ') * (budget // 100), ('x' * 99 + ' ') * (budget // 100)),
            (' back\\slash\\ "say \\"hi\\"" \u00e9\u2014\U0001F600',
             'back\\slash\\ "say \\"hi\\"" \u00e9\u2014\U0001F600'),
        ]
        for rest, remainder in cases:
            with self.subTest(rest=rest[:40]):
                s = Sandbox(self, app_name='Program Files \u00c6\u00f8 \u4e2d')
                rest, remainder = (t.replace('PROFILE', win_path(s.profile)) for t in (rest, remainder))
                self.assertEqual(s.run_command_line(rest), 0)
                self.assertEqual(s.received()['command_line'],
                                 s.expected_engine_line(remainder, host_switches() + ' chrome://version'))

    def test_records_follow_the_first_usable_profile_argument(self):
        s = Sandbox(self)
        local = LocalAppData(self).create()
        for args, folder in ((['--user-data-dir='], local), (['--user-data-dir=', s.profile_arg], s.profile)):
            with self.subTest(args=args):
                self.assertEqual(s.run_launcher(args), 0)
                self.assertEqual([f for f in (s.profile, local)
                                  if os.path.exists(os.path.join(f, '.orlisk-launcher-result.json'))], [folder])
                os.remove(os.path.join(folder, '.orlisk-launcher-result.json'))

    def test_a_profile_the_engine_would_read_otherwise_begins_nothing(self):
        # The Engine trims each argument, takes --, - and / for switches, any
        # letter case, and the last value: where that names another folder
        # than the launcher's first "--user-data-dir=", nothing is read,
        # cleaned or written in any of them, and nothing starts.
        for rest in (' --user-data-dir={p} --user-data-dir={o}', ' --USER-DATA-DIR={o}', ' -user-data-dir={o}',
                     ' " --user-data-dir={o}"', ' --user-data-dir={p} --user-data-dir=',
                     ' --user-data-dir={p} /user-data-dir={o}'):
            with self.subTest(rest=rest):
                s = Sandbox(self)
                local, other = LocalAppData(self), os.path.join(s.root, 'other')
                for folder in (s.profile, other):
                    make_tree(folder, ['Default/Current Session'])
                    s.write_overlay('{"close-previous-tabs":true}', folder)
                before = s.files()
                rest = rest.format(p=win_path(s.profile), o=win_path(other)) + ' ' + s.outcome_arg
                self.assertEqual(s.run_command_line(rest), 1)
                self.assertEqual((s.outcome()['outcome'], s.files() - {'outcome.json', 'command-line.txt'}), ('profile_ambiguous', before))
                self.assertFalse(os.path.exists(local.folder) or s.received(timeout=2))

    def test_what_follows_a_double_dash_is_the_engines(self):
        # Callers put URLs and files there: never the launcher's outcome file
        # or profile, and the switches it adds stand before the "--".
        s = Sandbox(self)
        local = LocalAppData(self).create()
        document, other = os.path.join(s.root, 'document.txt'), os.path.join(s.root, 'other')
        with open(document, 'w') as f:
            f.write('mine')
        make_tree(other, ['Default/Current Session', 'Default/Cookies'])
        s.write_overlay('{"close-previous-tabs":true,"granular-storage-reset":{"cookies":true}}', other)
        s.write_overlay('{"device-memory":1,"start-page":"https://start.example/"}')
        after = ['-- --vantrel-outcome-file=%s https://caller.test/' % win_path(document),
                 '-- --user-data-dir=%s --vantrel-outcome-file=%s' % (win_path(other), win_path(document))]
        for before, rest, switches, page, record in (
                (s.profile_arg, after[0], host_switches().split(' ', 1)[1], '"https://start.example/"', s.profile),
                ('', after[1], host_switches(), 'chrome://version', local)):
            with self.subTest(rest=rest):
                got = s.start_engine(args=(before.split() + rest.split()))
                self.assertEqual(got['command_line'], s.expected_engine_line(before, ' '.join((switches, rest, page))))
                os.remove(s.received_path)
                os.remove(os.path.join(record, '.orlisk-launcher-result.json'))
                with open(document) as f:
                    self.assertEqual(f.read(), 'mine')
                self.assertEqual(present(other, ['Default/Current Session', 'Default/Cookies', '.orlisk-launcher-result.json']),
                                 {'Default/Current Session', 'Default/Cookies'})

    def test_launcher_does_not_wait_for_the_engine(self):
        start = time.monotonic()
        Sandbox(self).start_engine(env={'VANTREL_FAKE_ENGINE_SLEEP_MS': '60000'}, timeout=120)
        self.assertLess(time.monotonic() - start, 50, 'the launcher waited for the Engine')


class Resources(unittest.TestCase):
    def test_icon_version_manifest_and_subsystem_of_both_programs(self):
        for exe, subsystem in ((LAUNCHER_EXE, 2), (CHECK_EXE, 3)):  # GUI, console
            with self.subTest(exe=exe):
                with open(exe, 'rb') as f:
                    pe = f.read(4096)
                header = struct.unpack_from('<I', pe, 0x3C)[0]
                self.assertEqual(struct.unpack_from('<H', pe, header + 24 + 68)[0], subsystem)
                got = strict_json(wine([STAND_IN, 'resources', win_path(exe)]).stdout)
                self.assertEqual(sorted(got['icons']), [[s, 32] for s in (16, 20, 24, 32, 40, 48, 64, 96, 128)])
                self.assertEqual(got['version'], '0.29.0')
                self.assertIn('level="asInvoker"', got['manifest'])
                self.assertNotIn('dpiAware', got['manifest'])

    def test_a_dll_planted_beside_the_programs_is_never_loaded(self):
        # Wine told to prefer a DLL beside the program, as Windows does for
        # any DLL that is not one of its Known DLLs; a start that writes its
        # record (so the random source is asked for) and a check.
        s = Sandbox(self)
        shutil.copy(os.path.join(BUILD, 'tools', 'planted', 'bcrypt.dll'), s.app)
        prefer_planted = {'WINEDLLOVERRIDES': 'mscoree,mshtml=;bcrypt=n,b'}
        s.start_engine('{}', env=prefer_planted)
        self.assertEqual(s.record()['status'], 'passthrough')
        self.assertEqual(wine([s.check, s.profile_arg], env=prefer_planted).returncode, 0)
        self.assertFalse(os.path.exists(os.path.join(s.app, 'planted-dll-loaded')))
