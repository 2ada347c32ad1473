"""The curl probe and the discovery worker under Wine, without the progress
window: the stand-in's "probe" command runs the worker with the real probe
and prints what it left. System32's curl.exe is either the scripted stand-in
or a real curl.exe built by scripts/build_curl.sh, going through a SOCKS5
proxy on loopback to a local HTTPS geo server."""
import json
import os
import re
import shutil
import tempfile
import unittest

from harness import STAND_IN, WORK, RealCurlNetwork, install_curl, strict_json, wine, win_path
import netfixtures

PRIMARY = 'https://%s/geoip?format=json' % netfixtures.PRIMARY_HOST
FALLBACK = 'https://%s/myip' % netfixtures.FALLBACK_HOST


class ProbeRun(unittest.TestCase):
    def setUp(self):
        os.makedirs(WORK, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix='probe-', dir=WORK)
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.record = os.path.join(self.dir, '.orlisk-launcher-error.json')

    def drive(self, overlay, env=None, timeout=60):
        path = os.path.join(self.dir, 'command-line.json')
        with open(path, 'w') as f:
            f.write(json.dumps(overlay))
        out = wine([STAND_IN, 'probe', win_path(path), win_path(self.record)], env=env, timeout=timeout)
        self.assertEqual(out.returncode, 0, out.stderr[-2000:])
        return strict_json(out.stdout)

    def error_record(self):
        if not os.path.exists(self.record):
            return None
        with open(self.record, 'rb') as f:
            data = f.read()
        self.assertTrue(data.endswith(b'}\n'))
        return strict_json(data)


class WithCurlDouble(ProbeRun):
    def setUp(self):
        super().setUp()
        install_curl(self, STAND_IN)
        self.log = os.path.join(self.dir, 'curl-calls.log')
        self.body = os.path.join(self.dir, 'body')

    def env(self, exit_code=0, body=b'', **extra):
        with open(self.body, 'wb') as f:
            f.write(body)
        env = {'CURL_DOUBLE_LOG': win_path(self.log), 'CURL_DOUBLE_EXIT': str(exit_code),
               'CURL_DOUBLE_BODY': win_path(self.body)}
        env.update({k: str(v) for k, v in extra.items()})
        return env

    def calls(self):
        with open(self.log) as f:
            return [json.loads(line) for line in f]

    def test_command_line_and_success(self):
        got = self.drive({'proxy-server': 'socks5://us%40r:p@ss:w0rd@198.51.100.7:1080', 'auto-lang': True},
                         self.env(0, b'{"ip":"203.0.113.7","country_code":"DE"}'))
        self.assertEqual(self.calls(), ['"C:\\windows\\system32\\curl.exe" --max-time 10 -sS -x '
                                        'socks5h://us%%40r:p@ss:w0rd@198.51.100.7:1080 %s' % PRIMARY])
        self.assertEqual((got['ip'], got['lang'], self.error_record()), ('203.0.113.7', 'de-DE', None))

    def test_exit_codes_output_and_missing_curl(self):
        # (curl's exit code, output, or None for no curl.exe; the record's code, exit code, message)
        head = 'curl exit 0 but no usable IP in response \u2014 got '
        cases = [(7, {}, 'PROXY_UNREACHABLE', 7, None), (56, {}, 'PROXY_AUTH_FAILED', 56, None),
                 (67, {}, 'PROXY_AUTH_FAILED', 67, None), (97, {}, 'INTERNAL', 97, None),
                 (3221225477, {}, 'INTERNAL', None, None),  # a crash status reads as negative: no exit code
                 (0, {'CURL_DOUBLE_REPEAT': 5}, 'DISCOVERY_HTTP_ERROR', 0, head + '5242880 bytes, head: "' + 'x' * 80 + '"'),
                 (0, {'CURL_DOUBLE_STDERR': 'curl: (3) warning\r\n'}, 'DISCOVERY_HTTP_ERROR', 0,
                  head + '39 bytes, head: "curl: (3) warning\r\n{"ip":"203.0.113.7"}"'),
                 (None, {}, 'CURL_NOT_FOUND', None, 'curl.exe missing from System32 (Windows 10 1803+ ships it)')]
        for exit_code, extra, error, recorded_exit, message in cases:
            with self.subTest(exit_code=exit_code, extra=extra):
                if exit_code is None:
                    install_curl(self, None)
                body = b'x' * (1 << 20) if 'CURL_DOUBLE_REPEAT' in extra else b'{"ip":"203.0.113.7"}'
                self.drive({'proxy-server': 'socks5://u:p@h:1', 'auto-timezone': True},
                           self.env(exit_code or 0, body, **extra))
                record = self.error_record()
                self.assertEqual((record['error_code'], record.get('curl_exit_code')), (error, recorded_exit))
                signed = exit_code if exit_code is None or exit_code < 2 ** 31 else exit_code - 2 ** 32
                self.assertRegex(record['message'], '^' + re.escape(message) + '$' if message else
                                 r'^curl exit %d against %s via socks5://u:p@h:1 after \d+ ms$' % (signed, re.escape(PRIMARY)))

    def test_fallback_for_webrtc_only(self):
        got = self.drive({'proxy-server': 'socks5://h:1', 'webrtc-no-leak': True},
                         self.env(28, b'', CURL_DOUBLE_EXIT_MYIP=0, CURL_DOUBLE_BODY_MYIP=win_path(self.body + '2')))
        self.assertEqual([c.split()[-1] for c in self.calls()], [PRIMARY, FALLBACK])
        self.assertEqual((self.error_record()['discovery_url'], got['provider']), (FALLBACK, netfixtures.FALLBACK_HOST))

    def test_proxy_urls_that_would_add_curl_arguments_never_reach_curl(self):
        for proxy in ('socks5://u:p@203.0.113.5:1080 -o vantrel-engine.exe http://203.0.113.5/e.exe',
                      'socks5://h:1\t-K \\\\host\\share\\c.txt', 'socks5://h:1" -m 0'):
            for overlay in ({'proxy-server': proxy}, {'chrome-command-line': {'--proxy-server': proxy}}):
                with self.subTest(proxy=proxy, overlay=list(overlay)):
                    got = self.drive(dict(overlay, **{'auto-timezone': True}), self.env(0, b'{"ip":"203.0.113.7"}'))
                    self.assertFalse(os.path.exists(self.log))
                    self.assertRegex(self.error_record()['message'], r'^proxy URL refused: byte \d+ ')
                    self.assertEqual(got['rows'][1]['detail'], 'BLOCKED: INTERNAL')


class WithRealCurl(RealCurlNetwork, ProbeRun):
    def setUp(self):
        ProbeRun.setUp(self)
        RealCurlNetwork.setUp(self)

    def proxy(self, routes, user='alice', password='s3cret'):
        p = netfixtures.Socks5Proxy(user, password, routes)
        self.addCleanup(p.close)
        return 'socks5://%s:%s@127.0.0.1:%d' % (user, password, p.port), p

    def test_failures_through_proxy(self):
        # (proxy routes, password, error code, curl exit code); success and a
        # closed port are vantrel-check's probe tests.
        cases = [({netfixtures.PRIMARY_HOST: self.server.port}, 'wrong', 'INTERNAL', 97),  # a refused SOCKS5 login
                 ({netfixtures.PRIMARY_HOST: 'stall'}, 's3cret', 'PROXY_TIMEOUT', 28)]
        for routes, password, error, exit_code in cases:
            with self.subTest(error=error):
                url = self.proxy(routes)[0].replace(':s3cret@', ':%s@' % password)
                got = self.drive({'proxy-server': url, 'auto-timezone': True}, self.env, timeout=90)
                record = self.error_record()
                self.assertEqual((record['error_code'], record['curl_exit_code'], got['blocked']),
                                 (error, exit_code, True))

    def test_fallback_answers_when_primary_fails(self):
        url, p = self.proxy({netfixtures.PRIMARY_HOST: 'refuse', netfixtures.FALLBACK_HOST: self.server.port})
        got = self.drive({'proxy-server': url, 'webrtc-no-leak': True}, self.env)
        self.assertEqual(p.requested, [netfixtures.PRIMARY_HOST, netfixtures.FALLBACK_HOST])
        self.assertEqual((got['webrtc_public_ip'], got['provider']), ('203.0.113.9', netfixtures.FALLBACK_HOST))
        self.assertIsNone(self.error_record())
