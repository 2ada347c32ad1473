#!/usr/bin/env python3
"""Refuses an executable that a release must not ship: not 64-bit, the wrong
subsystem, without ASLR (high entropy), DEP/NX or terminal-server awareness, a version resource other
than the release's, an import from a DLL that is not one of Windows' Known
DLLs, or a build folder's path in its bytes. Prints one line per fault; exit 0
when none.

Usage: release_check.py EXE gui|console VERSION [FORBIDDEN_PATH ...]"""
import struct
import sys

# Windows' Known DLLs: the names under HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs on
# Windows 10 (1809 and later) and Windows 11, less the WOW64 emulation DLLs, plus ntdll.dll, which the system
# maps into every process before anything else. Windows takes these from System32 whatever lies beside the
# program. Any other DLL imported at load time is looked for in the program's own folder first (Microsoft's
# "Dynamic-link library search order"), where a file a web page dropped into Downloads would be loaded: such a
# DLL is loaded at run time from System32 instead (LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32).
KNOWN_DLLS = {'advapi32.dll', 'clbcatq.dll', 'combase.dll', 'comdlg32.dll', 'coml2.dll', 'difxapi.dll', 'gdi32.dll',
              'gdiplus.dll', 'imagehlp.dll', 'imm32.dll', 'kernel32.dll', 'msctf.dll', 'msvcrt.dll', 'normaliz.dll',
              'nsi.dll', 'ole32.dll', 'oleaut32.dll', 'psapi.dll', 'rpcrt4.dll', 'sechost.dll', 'setupapi.dll',
              'shcore.dll', 'shell32.dll', 'shlwapi.dll', 'user32.dll', 'wldap32.dll', 'ws2_32.dll', 'ntdll.dll'}


def faults(data, subsystem, version, forbidden):
    found = []
    if data[:2] != b'MZ':
        return ['not a PE executable']
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        return ['not a PE executable']
    machine, sections, _, _, _, opt_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from('<H', data, opt)[0]
    if machine != 0x8664 or magic != 0x20B:
        return ['not a 64-bit (x86-64, PE32+) executable']
    wanted = {'gui': 2, 'console': 3}[subsystem]
    sub, dll_flags = struct.unpack_from('<HH', data, opt + 68)
    if sub != wanted:
        found.append('subsystem %d, not %d (%s)' % (sub, wanted, subsystem))
    for flag, name in ((0x20, 'high-entropy ASLR'), (0x40, 'ASLR (dynamic base)'), (0x100, 'DEP/NX'),
                       (0x8000, 'terminal-server awareness')):
        if not dll_flags & flag:
            found.append('no ' + name)
    # Sections, to turn relative addresses into file offsets.
    table = opt + opt_size
    spans = [struct.unpack_from('<IIII', data, table + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for vsize, vaddr, rsize, raw in spans:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return rva - vaddr + raw
        raise ValueError('address outside every section')

    def cstring(at):
        return data[at:data.index(b'\0', at)].decode('ascii', 'replace')

    import_rva = struct.unpack_from('<I', data, opt + 112 + 8)[0]
    at = offset(import_rva) if import_rva else None
    while at is not None:
        name_rva = struct.unpack_from('<I', data, at + 12)[0]
        if name_rva == 0:
            break
        dll = cstring(offset(name_rva))
        # API sets (api-ms-win-*) are names the loader maps through its schema, never files it looks for.
        if dll.lower() not in KNOWN_DLLS and not dll.lower().startswith('api-ms-win-'):
            found.append('imports %s, which is not one of Windows\' Known DLLs' % dll)
        at += 20
    # VS_FIXEDFILEINFO: its signature, then the file version.
    sig = data.find(struct.pack('<I', 0xFEEF04BD))
    if sig < 0:
        found.append('no version resource')
    else:
        ms, ls = struct.unpack_from('<II', data, sig + 8)
        have = '%d.%d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if have != version + '.0':
            found.append('version resource %s, not %s.0' % (have, version))
    for path in forbidden:
        for encoded in (path.encode(), path.encode('utf-16-le')):
            if encoded in data:
                found.append('holds the build path %s' % path)
                break
    return found


def main():
    exe, subsystem, version, forbidden = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    with open(exe, 'rb') as f:
        data = f.read()
    try:
        found = faults(data, subsystem, version, forbidden)
    except (struct.error, ValueError) as e:
        found = ['not a well-formed PE executable (%s)' % e]
    for fault in found:
        print('%s: %s' % (exe, fault))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
