"""The release, built by scripts/release.sh as a vendor builds it: what the
package holds, the same ZIP from two folders, a signing round trip with a
throwaway certificate, the executables a release refuses, and the README's
manual it ships (no file it lacks, no developer command) and its JSON examples
against the schemas the package ships."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'e2e'))
os.environ.setdefault('VANTREL_WINEPREFIX', '')
os.environ.setdefault('VANTREL_BUILD_DIR', os.path.join(ROOT, 'build', 'windows'))
from sandbox import conforms  # noqa: E402

VERSION = re.search(r'project\(vantrel_launcher VERSION ([\d.]+)', open(os.path.join(ROOT, 'CMakeLists.txt')).read())[1]
ZIP = 'vantrel-%s-win64.zip' % VERSION


def release(clone, *args, env=None, cwd=None):
    """scripts/release.sh of `clone`, run from `cwd` (the clone when not given)."""
    return subprocess.run(['bash', os.path.join(clone, 'scripts', 'release.sh')] + list(args), cwd=cwd or clone,
                          env=dict(os.environ, **(env or {})), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=1200)


class Release(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Two clones of this commit in two folders, each released unsigned.
        cls.tmp = tempfile.mkdtemp(prefix='vantrel-release-test.')
        cls.clones = []
        for name in ('one', 'other folder'):
            clone = os.path.join(cls.tmp, name, 'vantrel')
            subprocess.run(['git', 'clone', '-q', ROOT, clone], check=True)
            done = release(clone)
            assert done.returncode == 0, done.stdout.decode(errors='replace')
            cls.clones.append(clone)
        cls.out = os.path.join(cls.clones[0], 'build', 'release')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, True)

    def test_package_sums_and_the_same_zip_from_two_folders(self):
        with zipfile.ZipFile(os.path.join(self.out, ZIP)) as z:
            top = 'vantrel-%s/' % VERSION
            self.assertEqual(z.namelist(), [top + n for n in (
                '', 'MANUAL.md', 'SHA256SUMS', 'examples/', 'examples/command-line.json',
                'examples/orlisk-webgl-profiles.json', 'schemas/', 'schemas/check-report.schema.json',
                'schemas/command-line.schema.json', 'schemas/error-record.schema.json', 'schemas/outcome.schema.json',
                'schemas/result-record.schema.json', 'vantrel-check.exe', 'vantrel.exe')])
            # The package checks itself: its sums, inside the unpacked folder; its manual names its commit.
            unpacked = os.path.join(self.tmp, 'unpacked')
            z.extractall(unpacked)
            subprocess.run(['sha256sum', '-c', 'SHA256SUMS'], cwd=os.path.join(unpacked, top), check=True,
                           stdout=subprocess.DEVNULL)
            commit = subprocess.run(['git', 'rev-parse', 'HEAD'], cwd=self.clones[0], stdout=subprocess.PIPE,
                                    check=True).stdout.decode().strip()
            self.assertIn('This package: version %s, built from commit %s; its executables are not signed.'
                          % (VERSION, commit), z.read(top + 'MANUAL.md').decode('utf-8'))
            # The manual names no file the package lacks and no developer command.
            names = {n[len(top):].rstrip('/') for n in z.namelist()}
            manual = z.read(top + 'MANUAL.md').decode('utf-8')
            named = {m.rstrip('/') for m in re.findall(r'`([^`\s]+)`', manual)
                     if re.fullmatch(r'[\w.-]+(/[\w.*-]*)+', m)}
            self.assertTrue(named and named <= names, sorted(named - names))
            self.assertEqual(re.findall(r'\b(?:scripts|tests|build|bench)/|\bcmake\b|\bctest\b|bash |README|CMakeLists',
                                        manual), [])
            for exe in ('vantrel.exe', 'vantrel-check.exe'):
                with open(os.path.join(self.out, exe), 'rb') as f:
                    self.assertEqual(z.read(top + exe), f.read())
        self.assertEqual(sorted(os.listdir(self.out)), sorted(['SHA256SUMS', ZIP, 'vantrel.exe', 'vantrel-check.exe']))
        subprocess.run(['sha256sum', '-c', 'SHA256SUMS'], cwd=self.out, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(self.out, ZIP), 'rb') as a, open(os.path.join(self.clones[1], 'build', 'release', ZIP),
                                                                 'rb') as b:
            self.assertEqual(a.read(), b.read())

    def test_signing_round_trip_and_verifying_a_download(self):
        keys = os.path.join(self.tmp, 'keys')
        os.makedirs(keys)
        run = lambda *a: subprocess.run(a, cwd=keys, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(keys, 'password'), 'w') as f:
            f.write('s3cret\n')
        run('openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', 'key.pem', '-out', 'cert.pem',
            '-days', '30', '-subj', '/CN=Vantrel Test Signer', '-addext', 'extendedKeyUsage=codeSigning')
        run('openssl', 'pkcs12', '-export', '-inkey', 'key.pem', '-in', 'cert.pem', '-passout', 'file:password',
            '-out', 'signer.p12')
        clone = self.clones[0]
        signing = {'VANTREL_SIGN_PKCS12': os.path.join(keys, 'signer.p12')}
        # A wrong password: a clear error, and no package left behind.
        with open(os.path.join(keys, 'wrong'), 'w') as f:
            f.write('guess\n')
        done = release(clone, env=dict(signing, VANTREL_SIGN_PASSWORD_FILE=os.path.join(keys, 'wrong')))
        self.assertNotEqual(done.returncode, 0)
        self.assertIn(b'release: cannot read', done.stdout)
        self.assertFalse(os.path.exists(self.out))
        done = release(clone, env=dict(signing, VANTREL_SIGN_PASSWORD_FILE=os.path.join(keys, 'password')))
        self.assertEqual(done.returncode, 0, done.stdout.decode(errors='replace'))
        signed = os.path.join(self.out, 'vantrel.exe')
        run('osslsigncode', 'verify', '-CAfile', 'cert.pem', '-in', signed)
        subprocess.run(['sha256sum', '-c', 'SHA256SUMS'], cwd=self.out, check=True, stdout=subprocess.DEVNULL)
        # What a user does with a download: the same commit, built here.
        done = release(self.clones[1], '--verify', signed)
        self.assertEqual((done.returncode, done.stdout.splitlines()[-1][:10]), (0, b'identical:'), done.stdout[-500:])
        # A tampered download named relative to the folder the user stands
        # in, while a genuine file of that name lies in the clone's root; its
        # name holds a line break, which must not print a line of its own.
        name = 'vantrel\n.exe'
        with open(signed, 'rb') as f:
            data = bytearray(f.read())
        shutil.copy(signed, os.path.join(self.clones[1], name))
        data[0x1000] ^= 1
        with open(os.path.join(keys, name), 'wb') as f:
            f.write(data)
        done = release(self.clones[1], '--verify', name, cwd=keys)
        self.assertEqual(done.returncode, 1, done.stdout[-500:])
        self.assertIn(b'different: ' + keys.encode() + b'/vantrel\\x0a.exe without its signature is not the vantrel.exe',
                      done.stdout)
        self.assertNotIn(b'\n.exe', done.stdout)  # the name's line break printed no line of its own

    def test_executables_a_release_refuses(self):
        with open(os.path.join(self.out, 'vantrel.exe'), 'rb') as f:
            good = f.read()
        pe = int.from_bytes(good[0x3C:0x40], 'little')
        flags_at = pe + 24 + 70  # DllCharacteristics
        doctored = {
            'gui': good,
            'no high entropy': good[:flags_at] + bytes([good[flags_at] & ~0x20]) + good[flags_at + 1:],
            'not terminal-server aware': good[:flags_at + 1] + bytes([good[flags_at + 1] & ~0x80]) + good[flags_at + 2:],
            'console': good[:pe + 24 + 68] + b'\x03' + good[pe + 24 + 69:],
            'build path': good + os.path.join(self.tmp, 'one').encode(),
        }
        # (the file, the version asked for, what is said; '' for nothing)
        cases = [('gui', VERSION, ''), ('no high entropy', VERSION, 'no high-entropy ASLR'),
                 ('not terminal-server aware', VERSION, 'no terminal-server awareness'),
                 ('console', VERSION, 'subsystem 3, not 2'), ('gui', '9.9.9', 'version resource'),
                 ('build path', VERSION, 'holds the build path')]
        # Linked against the shared C++ runtime: it would not start on a clean Windows.
        hello = os.path.join(self.tmp, 'hello')
        with open(hello + '.cpp', 'w') as f:
            f.write('#include <iostream>\nint main() { std::cout << "x"; }\n')
        subprocess.run(['x86_64-w64-mingw32-g++-posix', hello + '.cpp', '-o', hello + '.exe'], check=True)
        with open(hello + '.exe', 'rb') as f:
            doctored['shared runtime'] = f.read()
        cases.append(('shared runtime', VERSION, 'imports libstdc++-6.dll'))
        # A system DLL that is not a Known DLL, imported at load time: looked for beside the program first.
        with open(hello + '.cpp', 'w') as f:
            f.write('#include <windows.h>\n#include <bcrypt.h>\n'
                    'int main() { UCHAR b; return BCryptGenRandom(0, &b, 1, BCRYPT_USE_SYSTEM_PREFERRED_RNG); }\n')
        subprocess.run(['x86_64-w64-mingw32-g++-posix', hello + '.cpp', '-o', hello + '.exe', '-static', '-lbcrypt'],
                       check=True)
        with open(hello + '.exe', 'rb') as f:
            doctored['bcrypt'] = f.read()
        cases.append(('bcrypt', VERSION, "imports bcrypt.dll, which is not one of Windows' Known DLLs"))
        for name, version, said in cases:
            with self.subTest(name=name, version=version):
                path = os.path.join(self.tmp, name + '.exe')
                with open(path, 'wb') as f:
                    f.write(doctored[name])
                done = subprocess.run([sys.executable, os.path.join(ROOT, 'scripts', 'release_check.py'), path,
                                       'console' if name in ('shared runtime', 'bcrypt') else 'gui', version,
                                       os.path.join(self.tmp, 'one')], stdout=subprocess.PIPE)
                self.assertEqual(done.returncode, 1 if said else 0, done.stdout)
                self.assertIn(said.encode(), done.stdout)

    def test_readme_examples_conform_to_the_schemas(self):
        with open(os.path.join(ROOT, 'MANUAL.md'), encoding='utf-8') as f:
            blocks = re.findall(r'```json\n(.*?)```', f.read(), re.S)
        kinds = []
        for block in blocks:
            doc = json.loads(block)
            if '"webgl-vendor"' in block:  # the WebGL catalogue has no schema
                continue
            kind = ('check-report' if 'check_version' in doc else 'error-record' if 'step' in doc else
                    'outcome' if 'outcome' in doc else 'result-record' if 'status' in doc else 'command-line')
            conforms(doc, kind)
            kinds.append(kind)
        self.assertTrue({'check-report', 'error-record', 'result-record', 'command-line', 'outcome'} <= set(kinds), kinds)
        # The overlays the manual shows with problems ("jsonc": one names a key twice) are what the overlay's schema
        # tells its writer of: each is refused.
        with open(os.path.join(ROOT, 'MANUAL.md'), encoding='utf-8') as f:
            problem_overlays = re.findall(r'```jsonc\n(.*?)```', f.read(), re.S)
        for block in problem_overlays:
            with self.assertRaises(Exception):
                conforms(json.loads(block), 'command-line')
        # Documents that contradict the manual, each a change of one of its examples: every schema refuses them.
        example = {kind: next(json.loads(b) for b in blocks if key in b and not any(k in b for k in others))
                   for kind, key, others in (('result-record', '"ts"', ('"step"',)), ('error-record', '"step"', ()),
                                             ('outcome', '"outcome"', ()), ('command-line', '"proxy-server"', ('"ts"',)))}
        nothing_begun = {'exit_code': 1, 'engine_pid': None}
        contradictions = [
            ('result-record', {'status': 'passthrough', 'error_code': 'PROXY_BLOCKED'}),
            ('result-record', {'status': 'blocked', 'error_code': ''}),
            ('result-record', {'status': 'ok', 'error_code': 'DIALOG_INIT_FAILED'}),
            ('result-record', {'status': 'degraded', 'error_code': ''}),
            ('result-record', {'ts': '\u0662\u0660\u0662\u0666-12-06T10:50:14Z'}),
            ('result-record', {'ts': '2026-13-45T99:99:99Z'}),
            ('result-record', {'status': 'passthrough', 'ip': '203.0.113.7'}),
            ('error-record', {'error_code': 'PROXY_UNREACHABLE', 'curl_exit_code': 28}),
            ('error-record', {'error_code': 'CURL_NOT_FOUND', 'curl_exit_code': 7}),
            ('error-record', {'ts': '2026-02-30T24:00:00Z'}),
            ('outcome', {'result_record_written': False}), ('outcome', {'engine_pid': None}), ('outcome', {'exit_code': 1}),
            ('outcome', {'cleaning': 'partly'}), ('outcome', {'status': None}), ('outcome', {'cleaning': 'not_done'}),
            ('outcome', {'outcome': 'cancelled', 'engine_pid': None}),
            ('outcome', {'status': 'blocked', 'error_code': 'PROXY_BLOCKED'}),
            ('outcome', {'outcome': 'blocked', 'exit_code': 42, 'engine_pid': None, 'status': 'passthrough',
                         'cleaning': 'not_done'}),
            ('outcome', {'error_code': 'DIALOG_INIT_FAILED'}),
            ('outcome', dict(nothing_begun, outcome='engine_missing')),
            ('outcome', dict(nothing_begun, outcome='command_line_too_long')),
            ('outcome', {'status': 'passthrough', 'error_code': ''}),
            ('command-line', {'webgl-profil': 'nvidia-rtx-3060'}), ('command-line', {'auto-geo': 'yes'}),
            ('command-line', {'granular-storage-reset': {'Cookies': True}}),
            ('command-line', {'proxy-server': 'socks5://a b:c@198.51.100.7:1080'}),
            ('command-line', {'proxy-server': 'socks5://\u00e4:c@198.51.100.7:1080'}),
            ('command-line', {'webrtc-fake-public-ip': ''}),
        ]
        for kind, change in contradictions:
            with self.subTest(kind=kind, change=change), self.assertRaises(Exception):
                conforms(dict(example[kind], **change), kind)
        # What the manual says works is accepted.
        conforms({'proxy-server': None, 'chrome-command-line': {'proxy-server': 'socks5://h:1'}, '_note': 'x'},
                 'command-line')
