"""Which overlay file a run reads, and overlays that are huge or hostile.
What was read shows in the start page the Engine receives."""
import os
import unittest

from sandbox import LocalAppData, Sandbox, hold_open, make_tree, present
from wine import win_path

# An overlay whose reading is visible: a start page.
MARKER = '{"start-page":"https://%s.example/","device-memory":1,"hardware-concurrency":1,"speech-voices":1}'


class OverlayLocation(unittest.TestCase):
    def test_where_the_overlay_is_read(self):
        # (overlay in the profile folder: text, a folder in its place, or none;
        #  the launcher's profile argument; the page the Engine opens)
        cases = [
            ('profile', True, 'https://profile.example/'),
            ('profile', 'trailing backslash', 'https://profile.example/'),
            (None, True, 'https://local.example/'),
            (None, False, 'https://local.example/'),
            ('folder', True, 'chrome://version'),
        ]
        for in_profile, profile_arg, page in cases:
            with self.subTest(in_profile=in_profile, profile_arg=profile_arg):
                s = Sandbox(self)
                s.write_overlay(MARKER % 'local', folder=LocalAppData(self).create())
                if in_profile == 'folder':
                    os.makedirs(os.path.join(s.profile, 'command-line.json'))
                elif in_profile:
                    s.write_overlay(MARKER % 'profile')
                args = [s.profile_arg + ('\\' if profile_arg == 'trailing backslash' else '')] if profile_arg else []
                self.assertEqual(s.start_engine(args=args)['argv'][-1], page)


    def test_an_overlay_held_open_by_another_program(self):
        # An editor or sync client writing it and sharing reading: read at
        # once. Held without sharing for a moment: read all the same; held
        # longer: nothing is begun (its defaults would drop a "block"), and
        # the check says why.
        s = Sandbox(self)
        s.write_overlay(MARKER % 'held')
        overlay = os.path.join(s.profile, 'command-line.json')
        for ms, access, share in ((60000, 'w', 'r'), (600, 'rw', '-')):
            holder = hold_open(self, overlay, ms, access, share)
            self.assertEqual(s.start_engine()['argv'][-1], 'https://held.example/')
            os.remove(s.received_path)
            holder.kill()
            holder.wait()
        os.remove(os.path.join(s.profile, '.orlisk-launcher-result.json'))
        make_tree(s.profile, ['Default/Last Session'])
        hold_open(self, overlay, 60000)
        report = s.check_report(['--strict', s.profile_arg], expect=5)[0]
        self.assertEqual((report['overlay_path'], report['overlay_unreadable'], report['settings']['start-page']['value'],
                          [(p['code'], p['severity']) for p in report['problems']]),
                         (None, {'path': win_path(overlay), 'why': 'another program held it open without sharing, '
                                                                  'or locked it, for over a second'}, '',
                          [('overlay_unreadable', 'error')]))
        self.assertEqual(s.run_launcher([s.profile_arg, s.outcome_arg]), 1)
        self.assertEqual((s.outcome()['outcome'], s.record(), present(s.profile, ['Default/Last Session']),
                          s.received(timeout=2)), ('overlay_unreadable', None, {'Default/Last Session'}, None))


class HostileOverlays(unittest.TestCase):
    def test_huge_and_malformed_overlays_still_start(self):
        body = ''.join('"k%d":"%s",' % (i, 'v' * 1000) for i in range(64 * 1024))  # 64 MiB
        # What the readers make of hostile text is the unit tests'; these need the file read on Windows.
        cases = [
            (('{' + body + '"start-page":"https://big.example/"}').encode(), 'https://big.example/'),
            (b'\xef\xbb\xbf{"lang":"\x00\xff\xc3",\r\n"start-page":"https://x.example/\xff"}',
             'https://x.example/\ufffd'),
            (b'{"_":"\x1a",\r\n"start-page":"https://after.example/"}', 'https://after.example/'),  # 0x1A ends nothing
        ]
        for overlay, page in cases:
            with self.subTest(size=len(overlay)):
                s = Sandbox(self)
                self.assertEqual(s.start_engine(overlay, timeout=180)['argv'][-1], page)
                self.assertEqual(s.record()['status'], 'passthrough')
