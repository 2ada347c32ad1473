"""Which overlay file a run reads, and overlays that are huge or hostile.
What was read shows in what the Engine receives and in the result record."""
import os

from harness import LauncherTest, LocalAppData, Sandbox, host_switches, win_path

# An overlay whose reading is visible: a start page, and no host figures.
MARKER = '{"start-page":"https://%s.example/","device-memory":1,"hardware-concurrency":1,"speech-voices":1}'


def start_page_of(received):
    return received['argv'][-1]


class OverlayLocation(LauncherTest):
    def run_and_page(self, s, args):
        self.assertEqual(s.run(args), 0)
        return start_page_of(s.received())

    def test_profile_folder_first(self):
        s = Sandbox(self)
        local = LocalAppData(self)
        s.write_overlay(MARKER % 'profile')
        s.write_overlay(MARKER % 'local', folder=local.create())
        self.assertEqual(self.run_and_page(s, [s.profile_arg]), 'https://profile.example/')

    def test_local_app_data_when_profile_has_none(self):
        s = Sandbox(self)
        local = LocalAppData(self)
        s.write_overlay(MARKER % 'local', folder=local.create())
        self.assertEqual(self.run_and_page(s, [s.profile_arg]), 'https://local.example/')
        os.remove(os.path.join(s.app, 'engine-received.json'))
        self.assertEqual(self.run_and_page(s, []), 'https://local.example/')

    def test_neither_gives_defaults(self):
        s = Sandbox(self)
        LocalAppData(self)
        self.assertEqual(s.run([s.profile_arg]), 0)
        self.assertEqual(s.received()['argv'][-4:], host_switches().split() + ['chrome://version'])

    def test_directory_named_like_the_overlay_hides_the_local_file(self):
        s = Sandbox(self)
        local = LocalAppData(self)
        os.makedirs(os.path.join(s.profile, 'command-line.json'))
        s.write_overlay(MARKER % 'local', folder=local.create())
        self.assertEqual(self.run_and_page(s, [s.profile_arg]), 'chrome://version')

    def test_trailing_backslash_on_profile_folder(self):
        s = Sandbox(self)
        LocalAppData(self)
        s.write_overlay(MARKER % 'profile')
        self.assertEqual(self.run_and_page(s, [s.profile_arg + '\\']), 'https://profile.example/')

    def test_byte_order_mark_and_crlf(self):
        s = Sandbox(self)
        s.write_overlay(b'\xef\xbb\xbf' + (MARKER % 'bom').replace(',', ',\r\n').encode())
        self.assertEqual(self.run_and_page(s, [s.profile_arg]), 'https://bom.example/')


class DiscoveryDecision(LauncherTest):
    def test_paths(self):
        cases = [
            ('{"auto-timezone":true,"proxy-server":"socks5://u:p@127.0.0.1:9"}', 'degraded'),
            ('{"auto-timezone":true,"proxy-server":"http://127.0.0.1:9"}', 'passthrough'),
            ('{"auto-timezone":true,"proxy-server":"SOCKS5://127.0.0.1:9"}', 'passthrough'),
            ('{"auto-timezone":true,"timezone-override":"UTC","proxy-server":"socks5://127.0.0.1:9"}',
             'passthrough'),
            ('{"webrtc-no-leak":true,"chrome-command-line":{"--proxy-server":"socks5://127.0.0.1:9"}}',
             'degraded'),
            ('{"auto-geo":"TRUE","proxy-server":"socks5://127.0.0.1:9"}', 'passthrough'),
        ]
        for overlay, status in cases:
            with self.subTest(overlay=overlay):
                s = Sandbox(self)
                s.write_overlay(overlay)
                self.assertEqual(s.run([s.profile_arg]), 0)
                self.assertIsNotNone(s.received())
                self.assertEqual(s.result_record()['status'], status)


class HostileOverlays(LauncherTest):
    def check_starts(self, overlay_bytes, page='chrome://version'):
        s = Sandbox(self)
        s.write_overlay(overlay_bytes)
        self.assertEqual(s.run([s.profile_arg], timeout=120), 0)
        got = s.received(timeout=60)
        self.assertIsNotNone(got)
        self.assertEqual(start_page_of(got), page)
        self.assertEqual(s.result_record()['status'], 'passthrough')
        return got

    def test_ten_mib_string_value(self):
        value = 'a' * (10 * 1024 * 1024)
        self.check_starts(('{"webgl-profile":"%s","lang":"de"}' % value).encode())

    def test_sixty_four_mib_overlay(self):
        filler = ('"k%d":"' + 'v' * 1000 + '",') * 1
        body = ''.join(filler % i for i in range(64 * 1024))
        self.check_starts(('{' + body + '"start-page":"https://big.example/"}').encode(),
                          page='https://big.example/')

    def test_backslashes_braces_nul_and_invalid_utf8(self):
        self.check_starts(b'{"start-page":"' + b'\\' * (1024 * 1024))
        self.check_starts(b'{' * (1024 * 1024) + b'"chrome-command-line":' + b'{' * 100000)
        self.check_starts(b'{"lang":"\x00\xff\xc3","start-page":"https://x.example/\xff"}',
                          page='https://x.example/\ufffd')
