"""Finding and starting the Engine: the message boxes, the pass-through of
the launcher's own arguments, and the launcher's exit."""
import os
import subprocess
import time

from harness import (FIXED_SWITCHES, LauncherTest, LocalAppData, Sandbox, WINCTL_EXE, Xvfb, host_switches,
                     strict_json, wine, wine_env, WINE, win_path)


def dismiss_message_box(sandbox, args, display):
    """Starts the launcher, reads the message box it shows and presses OK.
    Returns (box as dict, launcher exit code)."""
    launcher = subprocess.Popen([WINE, sandbox.launcher] + args, env=wine_env(display),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        out = wine([WINCTL_EXE, 'msgbox', '15000'], display=display, timeout=30).stdout
        box = strict_json(out) if out.strip() else None
        return box, launcher.wait(30)
    finally:
        if launcher.poll() is None:
            launcher.kill()


class MissingEngine(LauncherTest):
    def test_without_display_exits_1_and_touches_nothing(self):
        s = Sandbox(self, engine=False)
        local = LocalAppData(self)
        s.write_overlay('{"start-page":"https://x.example/","granular-storage-reset":{"all":true}}')
        os.makedirs(os.path.join(s.profile, 'Default', 'Sessions'))
        before = s.files()
        self.assertEqual(s.run([s.profile_arg]), 1)
        self.assertEqual(s.files(), before)
        self.assertFalse(os.path.exists(local.folder))

    def test_box_names_the_expected_path(self):
        s = Sandbox(self, app_name='my app \u00e9', engine=False)
        s.write_overlay('{"auto-timezone":true,"proxy-server":"socks5://127.0.0.1:9"}')
        box, code = dismiss_message_box(s, [s.profile_arg], Xvfb.shared())
        self.assertEqual(code, 1)
        self.assertEqual(box, {'caption': 'Vantrel',
                               'text': 'Engine binary not found:\n%s\n\nReinstall Vantrel.' % s.engine_win})
        self.assertIsNone(s.result_record())


class EngineThatCannotStart(LauncherTest):
    def setUp(self):
        self.s = Sandbox(self, engine=False)
        with open(self.s.engine_posix, 'wb') as f:
            f.write(b'this is not a Windows program\r\n')

    def test_box_names_path_and_reason_and_exit_is_1(self):
        box, code = dismiss_message_box(self.s, [self.s.profile_arg], Xvfb.shared())
        self.assertEqual(code, 1)
        self.assertEqual(box['caption'], 'Vantrel')
        head = 'Engine could not be started:\n%s\n\n' % self.s.engine_win
        self.assertTrue(box['text'].startswith(head), box['text'])
        self.assertRegex(box['text'][len(head):], r'^.+ \(error \d+\)$')

    def test_without_display_exit_is_still_1(self):
        self.assertEqual(self.s.run([self.s.profile_arg]), 1)


class PassThrough(LauncherTest):
    def test_arguments_arrive_unchanged_in_the_split(self):
        cases = [
            [],
            ['--user-data-dir=C:\\no such profile'],
            ['a b', 'say "hi"', 'back\\slash\\', '', '--flag=x y', '\u00e9\u2014\U0001F600'],
        ]
        for args in cases:
            with self.subTest(args=args):
                s = Sandbox(self)
                self.assertEqual(s.run(args), 0)
                got = s.received()
                self.assertEqual(got['argv'][0], s.engine_win)
                self.assertEqual(got['argv'][1:4], FIXED_SWITCHES.split())
                self.assertEqual(got['argv'][4:-4], args)
                self.assertEqual(got['argv'][-4:], host_switches().split() + ['chrome://version'])

    def test_exact_command_lines(self):
        # (what follows the launcher's own quoted name, the remainder that
        # the launcher passes on)
        cases = [
            ('', ''),
            (' a', 'a'),
            ('   "a b"  c\\\\"d e"\\ x  ', '"a b"  c\\\\"d e"\\ x  '),
            (' --user-data-dir="%s"', '--user-data-dir="%s"'),
            (' "--user-data-dir=%s" --x', '"--user-data-dir=%s" --x'),
            ('\t""\t"', '""\t"'),
        ]
        for rest, remainder in cases:
            with self.subTest(rest=rest):
                s = Sandbox(self)
                if '%s' in rest:
                    rest, remainder = rest % win_path(s.profile), remainder % win_path(s.profile)
                self.assertEqual(s.run_exact(rest), 0)
                self.assertEqual(s.received()['command_line'],
                                 self.expected_engine_line(s, remainder, host_switches() + ' chrome://version'))

    def test_very_long_command_line(self):
        s = Sandbox(self)
        prefix = '"%s" ' % win_path(s.launcher)
        # Leave room for the Engine's own path and switches within 32,767.
        budget = 32767 - 1 - len(FIXED_SWITCHES) - len(host_switches()) - 40 - len(s.engine_win) - len(prefix)
        rest = ' ' + ('x' * 99 + ' ') * (budget // 100)
        self.assertEqual(s.run_exact(rest), 0)
        got = s.received()
        self.assertEqual(got['command_line'],
                         self.expected_engine_line(s, rest[1:], host_switches() + ' chrome://version'))

    def test_launcher_folder_with_blanks_and_non_ascii(self):
        s = Sandbox(self, app_name='Program Files \u00c6\u00f8 \u4e2d')
        self.assertEqual(s.run([s.profile_arg]), 0)
        got = s.received()
        self.assertEqual(got['argv'][0], s.engine_win)
        self.assertEqual(got['command_line'],
                         self.expected_engine_line(s, s.profile_arg, host_switches() + ' chrome://version'))
        self.assertEqual(s.result_record()['status'], 'passthrough')


class UserDataDirRules(LauncherTest):
    def test_rules(self):
        s = Sandbox(self)
        local = LocalAppData(self)
        local.create()
        other = os.path.join(s.root, 'other')
        os.makedirs(other)
        upper = '--USER-DATA-DIR=' + win_path(other)
        cases = [
            (['--user-data-dir='], local.folder),
            ([upper], local.folder),
            (['--user-data-dir=', s.profile_arg], s.profile),
            ([s.profile_arg, '--user-data-dir=' + win_path(other)], s.profile),
        ]
        for args, record_folder in cases:
            with self.subTest(args=args):
                for folder in (s.profile, other, local.folder):
                    path = os.path.join(folder, '.orlisk-launcher-result.json')
                    if os.path.exists(path):
                        os.remove(path)
                self.assertEqual(s.run(args), 0)
                self.assertEqual(s.result_record(record_folder)['status'], 'passthrough')
                written = [f for f in (s.profile, other, local.folder)
                           if os.path.exists(os.path.join(f, '.orlisk-launcher-result.json'))]
                self.assertEqual(written, [record_folder])


class DoesNotWait(LauncherTest):
    def test_launcher_exits_while_engine_sleeps(self):
        s = Sandbox(self)
        start = time.monotonic()
        code = s.run([s.profile_arg], env={'VANTREL_FAKE_ENGINE_SLEEP_MS': '30000'}, timeout=60)
        elapsed = time.monotonic() - start
        self.assertEqual(code, 0)
        self.assertIsNotNone(s.received())
        self.assertLess(elapsed, 10, 'the launcher waited for the Engine')


class Resources(LauncherTest):
    def test_icon_version_and_manifest(self):
        from harness import LAUNCHER_EXE
        got = strict_json(wine([WINCTL_EXE, 'resources', win_path(LAUNCHER_EXE)]).stdout)
        self.assertEqual(sorted(got['icons']), [[s, 32] for s in (16, 20, 24, 32, 40, 48, 64, 96, 128)])
        self.assertEqual(got['version'], '0.29.0')
        self.assertIn('level="asInvoker"', got['manifest'])
        self.assertNotIn('dpiAware', got['manifest'])
