#!/usr/bin/env python3
"""Checks the resources Setup.exe must carry for Windows, and prints them.

    scripts/check_pe_resources.py Setup.exe

Reads the PE's resource directory itself (standard library only) and checks:
exactly one application manifest (RT_MANIFEST, id 1) asking for administrator
rights, declaring long-path awareness, the supported Windows versions, common
controls 6 and no DPI awareness; icon 1; a version block whose strings name the
product and the company and whose FileVersion matches the fixed version.
Exit status 1 with one "error:" line per missing piece.
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
RESOURCE_DIRECTORY_INDEX = 2

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT_V1 = "urn:schemas-microsoft-com:compatibility.v1"
WS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
WS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10/11",
}
COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"
REQUIRED_STRINGS = ("CompanyName", "ProductName", "FileDescription",
                    "FileVersion", "ProductVersion", "OriginalFilename")


class BadFile(Exception):
    pass


def u16(data, off):
    if off + 2 > len(data):
        raise BadFile("truncated at offset %#x" % off)
    return struct.unpack_from("<H", data, off)[0]


def u32(data, off):
    if off + 4 > len(data):
        raise BadFile("truncated at offset %#x" % off)
    return struct.unpack_from("<I", data, off)[0]


def read_resources(data):
    """Every resource as (type, name, language, bytes); ids are ints, names str."""
    if data[:2] != b"MZ":
        raise BadFile("no MZ header")
    pe = u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise BadFile("no PE signature")
    sections = u16(data, pe + 6)
    opt_size = u16(data, pe + 20)
    opt = pe + 24
    magic = u16(data, opt)
    dirs = opt + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if dirs < opt:
        raise BadFile("unknown optional header magic %#x" % magic)
    if u32(data, dirs - 4) <= RESOURCE_DIRECTORY_INDEX:
        return []
    rsrc_rva = u32(data, dirs + 8 * RESOURCE_DIRECTORY_INDEX)
    if rsrc_rva == 0:
        return []

    table = opt + opt_size
    spans = []
    for i in range(sections):
        s = table + 40 * i
        vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, s + 8)
        spans.append((va, max(vsize, raw_size), raw_ptr))

    def file_offset(rva):
        for va, size, raw in spans:
            if va <= rva < va + size:
                return rva - va + raw
        raise BadFile("RVA %#x is in no section" % rva)

    base = file_offset(rsrc_rva)

    def name_of(entry_name):
        if entry_name & 0x80000000:
            off = base + (entry_name & 0x7FFFFFFF)
            n = u16(data, off)
            return data[off + 2:off + 2 + 2 * n].decode("utf-16-le")
        return entry_name

    def entries(dir_off):
        named, ids = u16(data, dir_off + 12), u16(data, dir_off + 14)
        for i in range(named + ids):
            e = dir_off + 16 + 8 * i
            yield name_of(u32(data, e)), u32(data, e + 4)

    out = []
    seen = set()

    def subdir(target):
        if not target & 0x80000000:
            raise BadFile("resource tree is not three levels deep")
        off = base + (target & 0x7FFFFFFF)
        if off in seen:
            raise BadFile("resource tree loops")
        seen.add(off)
        return off

    for rtype, t in entries(base):
        for rname, n in entries(subdir(t)):
            for lang, leaf in entries(subdir(n)):
                if leaf & 0x80000000:
                    raise BadFile("resource tree is more than three levels deep")
                rva, size = struct.unpack_from("<II", data, base + leaf)
                off = file_offset(rva)
                if off + size > len(data):
                    raise BadFile("resource data runs past the end of the file")
                out.append((rtype, rname, lang, data[off:off + size]))
    return out


def check_manifest(resources, errors, report):
    manifests = [r for r in resources if r[0] == RT_MANIFEST]
    if len(manifests) != 1:
        errors.append("expected exactly one manifest resource (RT_MANIFEST), found %d%s" % (
            len(manifests),
            "" if not manifests else " (ids %s)" % ", ".join(str(m[1]) for m in manifests)))
        if not manifests:
            return
    _, name, _, blob = manifests[0]
    if name != CREATEPROCESS_MANIFEST_RESOURCE_ID:
        errors.append("the manifest resource has id %s, Windows reads only id 1 for a program" % name)
    try:
        root = ET.fromstring(blob.lstrip(b"\xef\xbb\xbf"))
    except ET.ParseError as e:
        errors.append("the manifest is not well-formed XML: %s" % e)
        return

    levels = root.findall(".//{%s}requestedExecutionLevel" % ASM_V3) + \
        root.findall(".//{%s}requestedExecutionLevel" % ASM_V1)
    level = levels[0].get("level") if len(levels) == 1 else None
    if level != "requireAdministrator":
        errors.append("the manifest's requestedExecutionLevel is %s, not requireAdministrator" % (
            level or "missing"))
    elif levels[0].get("uiAccess", "false") != "false":
        errors.append("the manifest asks for uiAccess; Setup.exe must not")
    report.append("manifest: requestedExecutionLevel %s" % (level or "missing"))

    def setting(ns, tag):
        found = root.findall(".//{%s}%s" % (ns, tag))
        return found[0].text.strip() if found and found[0].text else None

    long_paths = setting(WS_2016, "longPathAware")
    if (long_paths or "").lower() != "true":
        errors.append("the manifest does not declare longPathAware true")
    dpi_aware, dpi_awareness = setting(WS_2005, "dpiAware"), setting(WS_2016, "dpiAwareness")
    if (dpi_aware or "").lower() != "false" or (dpi_awareness or "").lower() != "unaware":
        errors.append("the manifest must declare dpiAware false and dpiAwareness unaware "
                      "(found %s / %s)" % (dpi_aware, dpi_awareness))
    report.append("manifest: longPathAware %s, dpiAware %s, dpiAwareness %s" % (
        long_paths, dpi_aware, dpi_awareness))

    ids = {e.get("Id", "").lower() for e in root.iter("{%s}supportedOS" % COMPAT_V1)}
    missing = [v for k, v in SUPPORTED_OS.items() if k not in ids]
    if missing:
        errors.append("the manifest does not declare supportedOS for %s" % ", ".join(missing))
    report.append("manifest: supportedOS %s" % (
        ", ".join(v for k, v in SUPPORTED_OS.items() if k in ids) or "none"))

    controls = [a for a in root.iter("{%s}assemblyIdentity" % ASM_V1)
                if a.get("name") == COMMON_CONTROLS]
    if not controls or controls[0].get("version") != "6.0.0.0":
        errors.append("the manifest does not depend on %s 6.0.0.0" % COMMON_CONTROLS)
    else:
        report.append("manifest: %s %s" % (COMMON_CONTROLS, controls[0].get("version")))


def check_icon(resources, errors, report):
    groups = {r[1]: r[3] for r in resources if r[0] == RT_GROUP_ICON}
    if 1 not in groups:
        errors.append("no icon group with id 1 (the icon Explorer shows)")
        return
    blob = groups[1]
    count = u16(blob, 4)
    icons = {r[1] for r in resources if r[0] == RT_ICON}
    sizes = []
    for i in range(count):
        e = 6 + 14 * i
        if e + 14 > len(blob):
            errors.append("icon group 1 is truncated")
            return
        w = blob[e] or 256
        if u16(blob, e + 12) not in icons:
            errors.append("icon group 1 names an icon image that is not in the file")
        sizes.append(w)
    report.append("icon 1: %s px" % ", ".join(str(s) for s in sorted(sizes)))


def version_nodes(blob, off, end):
    """The children of a VS_VERSIONINFO node: (key, value bytes, wType, children range)."""
    while off + 6 <= end:
        length, value_length, wtype = struct.unpack_from("<HHH", blob, off)
        if length == 0:
            break
        node_end = min(off + length, end)
        key_end = off + 6
        while key_end + 1 < node_end and blob[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = blob[off + 6:key_end].decode("utf-16-le")
        value_off = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if wtype == 1 else value_length
        value = blob[value_off:value_off + value_size]
        children = (value_off + value_size + 3) & ~3
        yield key, value, wtype, children, node_end
        off = (node_end + 3) & ~3


def check_version(resources, errors, report):
    versions = [r for r in resources if r[0] == RT_VERSION]
    if not versions:
        errors.append("no VERSIONINFO resource")
        return
    blob = versions[0][3]
    nodes = list(version_nodes(blob, 0, len(blob)))
    if not nodes or nodes[0][0] != "VS_VERSION_INFO":
        errors.append("the version resource is not a VS_VERSION_INFO block")
        return
    _, fixed, _, children, end = nodes[0]
    fixed_version = None
    if len(fixed) >= 52 and u32(fixed, 0) == 0xFEEF04BD:
        ms, ls = u32(fixed, 8), u32(fixed, 12)
        fixed_version = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    else:
        errors.append("the version resource has no VS_FIXEDFILEINFO")
    strings = {}
    translation = None
    for key, _, _, sub, sub_end in version_nodes(blob, children, end):
        if key == "StringFileInfo":
            for table, _, _, t, t_end in version_nodes(blob, sub, sub_end):
                for name, value, _, _, _ in version_nodes(blob, t, t_end):
                    strings[(table.upper(), name)] = value.decode("utf-16-le").rstrip("\0")
        elif key == "VarFileInfo":
            for name, value, _, _, _ in version_nodes(blob, sub, sub_end):
                if name == "Translation" and len(value) >= 4:
                    translation = struct.unpack_from("<HH", value)
    if translation != (0x0409, 1200):
        errors.append("the version resource's Translation is %s, expected 0x0409/1200" % (
            "missing" if translation is None else "%#06x/%d" % translation))
    table = "040904B0"
    values = {name: v for (t, name), v in strings.items() if t == table}
    if not values:
        errors.append("the version resource has no StringFileInfo block %s" % table)
    for name in REQUIRED_STRINGS:
        if not values.get(name):
            errors.append("the version resource has no %s" % name)
    if fixed_version and values.get("FileVersion") and values["FileVersion"] != fixed_version:
        errors.append("FileVersion string %s differs from the fixed file version %s" % (
            values["FileVersion"], fixed_version))
    report.append("version: FILEVERSION %s" % fixed_version)
    for name in REQUIRED_STRINGS + ("LegalCopyright",):
        if name in values:
            report.append("version: %s = %s" % (name, values[name]))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_pe_resources.py FILE.exe")
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    errors, report = [], []
    try:
        resources = read_resources(data)
        check_manifest(resources, errors, report)
        check_icon(resources, errors, report)
        check_version(resources, errors, report)
    except (BadFile, struct.error) as e:
        errors.append("cannot read the resources: %s" % e)
    for line in report:
        print("%s: %s" % (path, line))
    for line in errors:
        print("error: %s: %s" % (path, line), file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
