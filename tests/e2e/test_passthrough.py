"""The passthrough and degraded starts: result record, switches, WebGL
profiles and profile hygiene, as the Engine and the files see them."""
import glob
import os
import re
import stat
import time
import unittest

from sandbox import (PROFILE_TREE, LocalAppData, Sandbox, conforms, hold_open, holding, host_switches, make_tree,
                     present, strict_json)
from wine import STAND_IN, wait_for, win_path, wine

RECORD = ('{"schema":1,"ts":"TS","status":"%s","ip":"","timezone":"","country_code":"","lat":"","lng":"","lang":"",'
          '"accept_lang":"","elapsed_ms":0,"provider":"","error_code":"%s","message":"%s","launcher_version":"0.28.0"}\n')
PASSTHROUGH = RECORD % ('passthrough', '', '')
DEGRADED = RECORD % ('degraded', 'DIALOG_INIT_FAILED', 'CreateProgressDialog returned null; spawned engine without '
                     'discovery')

def record_text(folder):
    with open(os.path.join(folder, '.orlisk-launcher-result.json'), 'rb') as f:
        data = f.read()
    conforms(strict_json(data), 'result-record')
    return re.sub(r'"ts":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"', '"ts":"TS"', data.decode(), count=1)


class ResultRecord(unittest.TestCase):
    def test_passthrough_record_replaces_the_old_one_and_leaves_the_error_record(self):
        s = Sandbox(self)
        for name, text in (('result', '{"old":true,"padding":"' + 'x' * 5000 + '"}\n'), ('error', 'earlier\n')):
            with open(os.path.join(s.profile, '.orlisk-launcher-%s.json' % name), 'w') as f:
                f.write(text)
        s.start_engine()
        self.assertEqual(record_text(s.profile), PASSTHROUGH)
        with open(os.path.join(s.profile, '.orlisk-launcher-error.json')) as f:
            self.assertEqual(f.read(), 'earlier\n')

    def test_without_a_display_fallback_starts_degraded_and_block_blocks(self):
        for fail in ('fallback', 'block'):
            with self.subTest(on_proxy_fail=fail):
                s = Sandbox(self)
                with open(os.path.join(s.app, 'orlisk-webgl-profiles.json'), 'w') as f:
                    f.write('{"p":{"gl":"x"}}')
                make_tree(s.profile, ['Default/Last Session'])
                s.write_overlay('{"auto-lang":true,"proxy-server":"socks5://127.0.0.1:9","webgl-profile":"p",'
                                '"start-page":"https://d.example/","on-proxy-fail":"%s"}' % fail)
                self.assertEqual(s.run_launcher([s.profile_arg]), 0 if fail == 'fallback' else 42)
                got = s.received(timeout=30 if fail == 'fallback' else 3)
                if fail == 'fallback':
                    self.assertEqual(record_text(s.profile), DEGRADED)
                    self.assertEqual(got['command_line'], s.expected_engine_line(
                        s.profile_arg, host_switches() + ' "https://d.example/"'))
                else:
                    self.assertEqual(record_text(s.profile), DEGRADED.replace('"degraded"', '"blocked"'))
                    self.assertIsNone(got)
                self.assertEqual(present(s.profile, ['Default/Last Session']), set() if fail == 'fallback' else
                                 {'Default/Last Session'})

    def test_unwritable_record_is_left_alone_and_the_engine_starts(self):
        s = Sandbox(self)
        path = os.path.join(s.profile, '.orlisk-launcher-result.json')
        with open(path, 'w') as f:
            f.write('old\n')
        os.chmod(path, stat.S_IRUSR)
        self.addCleanup(os.chmod, path, stat.S_IRUSR | stat.S_IWUSR)
        missing = os.path.join(s.root, 'no such folder')
        for args in ([s.profile_arg], ['--user-data-dir=' + win_path(missing)]):
            s.start_engine(args=args)
            os.remove(s.received_path)
        with open(path) as f:
            self.assertEqual(f.read(), 'old\n')
        self.assertFalse(glob.glob(path + '*.tmp') or os.path.exists(missing))

    def test_a_record_another_program_reads_is_replaced_once_it_lets_go(self):
        # A caller polling the record with an ordinary open() (read and write
        # sharing, no delete sharing), let go only once the launcher's new
        # record waits beside it: replaced all the same. One that never lets
        # go: the launcher gives up after about a second and starts the Engine.
        for lets_go in (True, False):
            with self.subTest(lets_go=lets_go):
                s = Sandbox(self)
                path = os.path.join(s.profile, '.orlisk-launcher-result.json')
                with open(path, 'w') as f:
                    f.write('old\n')
                hold_open(self, path, 60000, 'r', 'rw', win_path(path) + '.*.tmp' if lets_go else None)
                s.start_engine(timeout=30)
                if lets_go:
                    self.assertEqual(record_text(s.profile), PASSTHROUGH)
                else:
                    with open(path) as f:
                        self.assertEqual(f.read(), 'old\n')
                self.assertEqual(glob.glob(path + '*.tmp'), [])


class Switches(unittest.TestCase):
    def test_start_page_cannot_inject_arguments(self):
        # (JSON text of the page, what the Engine gets after the profile argument)
        cases = [('https://a.example/?q=a b&\u00fc', ['https://a.example/?q=a b&\u00fc']),
                 ('https://x.example/\\" --evil=1 \\"', ['https://x.example/" --evil=1 "']),
                 ('C:\\\\start\\\\', ['C:\\start\\']), ('https://x.example/\\\\\\"q', ['https://x.example/\\"q'])]
        # A page that the Engine could take for a switch stands behind "--" (which pages do is the unit tests').
        cases += [(' --x', ['--', ' --x'])]
        for json_value, tail in cases:
            with self.subTest(page=tail[-1]):
                s = Sandbox(self)
                s.write_overlay('{"start-page":"%s","device-memory":1,"hardware-concurrency":1,'
                                '"speech-voices":1}' % json_value)
                self.assertEqual(s.start_engine()['argv'][5:], tail)

    def test_webgl_profile_from_the_catalogue(self):
        catalogue = ('{"profiles":{"nv":{"gpu-vendor":"NVIDIA Corporation","_note":"x",'
                     '"gpu-renderer":"ANGLE (NVIDIA, GeForce \\"RTX\\" 3060)","max-texture":16384}}}')
        for text, expected in ((catalogue, '--gpu-renderer=ANGLE (NVIDIA, GeForce "RTX" 3060) '
                                           '--gpu-vendor=NVIDIA Corporation --max-texture=16384 chrome://version'),
                               (None, 'chrome://version')):
            with self.subTest(catalogue=text):
                s = Sandbox(self)
                if text is not None:
                    with open(os.path.join(s.app, 'orlisk-webgl-profiles.json'), 'w', encoding='utf-8') as f:
                        f.write(text)
                got = s.start_engine('{"webgl-profile":"nv","device-memory":1,"hardware-concurrency":1,"speech-voices":1}')
                self.assertEqual(got['command_line'], s.expected_engine_line(s.profile_arg, expected))


class ProfileHygiene(unittest.TestCase):
    def test_locked_file_does_not_stop_later_deletions(self):
        s = Sandbox(self)
        make_tree(s.profile, PROFILE_TREE)
        hold_open(self, os.path.join(s.profile, 'Default', 'Current Session'), 60000)
        s.start_engine('{"start-page":"https://x.example/","granular-storage-reset":{"cookies":true}}')
        self.assertEqual(present(s.profile, ['Default/Current Session', 'Default/Last Tabs', 'Default/Sessions',
                                             'Default/Cookies', 'Default/Network/Cookies-journal']),
                         {'Default/Current Session'})

    def test_the_profile_cleaned_is_the_one_the_engine_opens(self):
        # No blank after the launcher's quoted name: the runtime passes on the
        # text after the first blank only, and the profile is read from it.
        s = Sandbox(self)
        other = os.path.join(s.root, 'other')
        for folder in (s.profile, other):
            make_tree(folder, ['Default/Last Session'])
            s.write_overlay('{"close-previous-tabs":true}', folder)
        self.assertEqual(s.run_command_line('--user-data-dir=%s %s' % (win_path(other), s.profile_arg)), 0)
        self.assertEqual(s.received()['argv'][4], s.profile_arg)  # after the three fixed switches
        self.assertEqual([bool(present(f, ['Default/Last Session'])) for f in (s.profile, other)], [False, True])
        self.assertEqual([os.path.exists(os.path.join(f, '.orlisk-launcher-result.json')) for f in (s.profile, other)],
                         [True, False])

    def test_names_ending_in_a_dot_or_a_blank(self):
        # A folder "x." (and "y ") beside links "x", "y" to a folder outside:
        # Win32's path rules drop that dot or blank and would reach the link,
        # also under a root written as a device path (\\.\, //./), which
        # Windows renames again on every call. Names ending so are cleaned
        # like any other; the links stay.
        for form in ('{}', '\\\\.\\{}', '//./{}'):
            with self.subTest(root=form):
                s = Sandbox(self)
                outside = os.path.join(s.root, 'outside')
                make_tree(outside, ['keep/k'])
                for folder in ('Default/Sessions', 'Default/IndexedDB', 'Default/Service Worker'):
                    make_tree(os.path.join(s.profile, *folder.split('/')), ['x./inner/f', 'y /g', 'z.', 'w '])
                    for link in ('x', 'y'):
                        os.symlink(os.path.join(outside, 'keep'), os.path.join(s.profile, *folder.split('/'), link))
                make_tree(s.profile, ['Default/GPUCache/a./b', 'Default/GPUCache/c /d', 'Default/GPUCache/e.'])
                root = form.format(win_path(s.profile) if form == '{}' or '\\' in form
                                   else win_path(s.profile).replace('\\', '/'))
                s.start_engine('{"start-page":"https://x.example/","granular-storage-reset":{"indexeddb":true,'
                               '"service_workers":true,"shader_cache":true}}', args=['--user-data-dir=' + root])
                self.assertEqual(present(outside, ['keep/k']), {'keep/k'})
                for folder in ('Default/Sessions', 'Default/IndexedDB', 'Default/Service Worker'):
                    self.assertEqual(sorted(os.listdir(os.path.join(s.profile, *folder.split('/')))), ['x', 'y'])
                self.assertFalse(os.path.exists(os.path.join(s.profile, 'Default', 'GPUCache')))
                self.assertIsNotNone(s.record())

    def test_a_profile_named_with_a_final_blank_or_dot_is_the_folder_windows_opens(self):
        # "Work " and "Work." are the folder "Work" to Windows and the Engine:
        # its overlay is read, and it blocks (no display: discovery cannot run).
        for suffix in (' ', '.', '..'):
            with self.subTest(suffix=suffix):
                s = Sandbox(self)
                make_tree(s.profile, ['Default/Cookies'])
                s.write_overlay('{"auto-timezone":true,"proxy-server":"socks5://127.0.0.1:9","on-proxy-fail":"block",'
                                '"granular-storage-reset":{"cookies":true}}')
                self.assertEqual(s.run_launcher(['--user-data-dir=' + win_path(s.profile) + suffix]), 42)
                self.assertEqual((s.record()['status'], present(s.profile, ['Default/Cookies'])),
                                 ('blocked', {'Default/Cookies'}))
        # A folder "p " beside a link "p" to another profile: the one folder
        # the Engine opens (through the link) is read, cleaned and recorded.
        s = Sandbox(self)
        linked, blank = os.path.join(s.root, 'q'), os.path.join(s.root, 'p ')
        for folder, overlay in ((linked, '{"close-previous-tabs":true}'),
                                (blank, '{"granular-storage-reset":{"cookies":true}}')):
            make_tree(folder, ['Default/Current Session', 'Default/Cookies'])
            s.write_overlay(overlay, folder)
        os.symlink(linked, os.path.join(s.root, 'p'))
        s.start_engine(args=['--user-data-dir=' + win_path(blank)])
        self.assertEqual(present(linked, ['Default/Current Session', 'Default/Cookies', '.orlisk-launcher-result.json']),
                         {'Default/Cookies', '.orlisk-launcher-result.json'})
        self.assertEqual(present(blank, ['Default/Current Session', 'Default/Cookies', '.orlisk-launcher-result.json']),
                         {'Default/Current Session', 'Default/Cookies'})

    def test_one_start_of_a_profile_at_a_time(self):
        # A start while the browser another start created is starting (it
        # writes the profile before it takes its lockfile) cleans nothing of it.
        s = Sandbox(self)
        cookies = os.path.join(s.profile, 'Default', 'Cookies')
        os.makedirs(os.path.dirname(cookies))
        s.write_overlay('{"granular-storage-reset":{"cookies":true}}')
        self.assertEqual(s.run_launcher([s.profile_arg], env={'VANTREL_FAKE_ENGINE_WRITES': win_path(cookies),
                                                               'VANTREL_FAKE_ENGINE_SLEEP_MS': '30000'}), 0)
        wait_for('the first Engine did not write the profile', lambda: os.path.exists(cookies))
        os.remove(s.received_path)
        self.assertEqual(s.run_launcher([s.profile_arg, s.outcome_arg]), 0)
        self.assertEqual((s.outcome()['cleaning'], present(s.profile, ['Default/Cookies'])),
                         ('skipped_profile_starting', {'Default/Cookies'}))
        # A start of another profile never waits for one that holds its lock; a
        # start of the same profile does.
        other, release = os.path.join(s.root, 'other'), os.path.join(s.root, 'release')
        os.makedirs(other)
        holder = holding(self, [STAND_IN, 'lock', win_path(s.profile), win_path(release)])
        self.assertEqual(s.run_launcher(['--user-data-dir=' + win_path(other)]), 0)
        same = s.launch_in_background(None)
        time.sleep(2)
        self.assertEqual((holder.poll(), same.poll()), (None, None))  # both still there: the same profile waits
        open(release, 'w').close()
        self.assertEqual(same.wait(60), 0)

    def test_a_tree_a_thousand_folders_deep_is_cleaned(self):
        s = Sandbox(self)
        deep = os.path.join(s.profile, 'Default', 'IndexedDB')
        os.mkdir(os.path.dirname(deep))
        for _ in range(1001):
            os.mkdir(deep)
            deep = os.path.join(deep, 'd')
        make_tree(deep, ['f'])
        start = time.monotonic()
        s.start_engine('{"granular-storage-reset":{"indexeddb":true}}', timeout=120)
        self.assertLess(time.monotonic() - start, 120)
        self.assertFalse(os.path.exists(os.path.join(s.profile, 'Default', 'IndexedDB')))

    def test_nothing_deleted_without_profile_argument(self):
        s = Sandbox(self)
        make_tree(s.root, ['Default/Last Session', 'Default/Cookies'])
        s.write_overlay('{"close-previous-tabs":true,"granular-storage-reset":{"all":true}}',
                        folder=LocalAppData(self).create())
        self.assertEqual(wine([s.launcher], cwd=s.root, capture=False).returncode, 0)
        self.assertIsNotNone(s.received())
        self.assertEqual(len(present(s.root, ['Default/Last Session', 'Default/Cookies'])), 2)
